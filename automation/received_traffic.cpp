#include "automation/received_traffic.h"

#include "sms/gxmt_list.h"

#include "automation/interactive_records.h"
#include "contacts/contact_fields.h"
#include "contacts/field_markers.h"
#include "core/account.h"
#include "core/database.h"
#include "core/log.h"
#include "core/sql.h"
#include "core/sql_guard.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "service/web_service_client.h"
#include "sms/interactive_rules.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("ReceivedTraffic", text); }

// The sub-number's text, or an empty text when it is none.
QString SubNumberText(const QString& recvNum, const QString& serviceNumber) {
    const QString tail = recvNum.mid(serviceNumber.size());
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    return digits.match(tail).hasMatch() ? tail : QString();
}

// The whole of a message, for the run log: one line, control characters escaped.
std::string WholeMessage(const RECV_MSG& m) {
    return "receiveID=" + LogEscape(m.receiveID) + ",sendNum=" + LogEscape(m.sendNum) +
           ",recvNum=" + LogEscape(m.recvNum) + ",sendTime=" + LogEscape(m.sendTime) +
           ",msgContent=" + LogEscape(m.msgContent);
}

// A receiveID that is all digits and fits 64 bits is an integer, anything
// else is kept as its text.
std::optional<int64_t> IntegerId(const QString& id) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,19}$"));
    if (!digits.match(id).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qlonglong value = id.toLongLong(&ok);
    return ok ? std::optional<int64_t>(value) : std::nullopt;
}

// A rule's statement is run only when it is exactly one read-only
// statement: a rule from an old client or a hand-edited database must not
// change data. Null (logged) otherwise.
sqlite3_stmt* PrepareReadOnlyRule(sqlite3* db, const std::string& sql) {
    int rc = SQLITE_OK;
    if (sqlite3_stmt* stmt = PrepareSingleReadOnly(db, sql, nullptr, &rc))
        return stmt;
    if (rc != SQLITE_OK) {
        LogSqlError(sqlite3_errmsg(db), rc, "查询互动短信的sql记录出错了");
        LogWrite(g_logRun, "SQL=" + LogEscape(sql));
    } else {
        LogWrite(g_logRun, "ERROR,互动短信规则不是一条只读查询，不执行：" + LogEscape(sql));
    }
    return nullptr;
}

} // namespace

// ---- the receive window --------------------------------------------------------

ReceiveWindow ReceiveWindow::Read(const QString& accountIni) {
    const QString section = QStringLiteral("SysSetting");
    ReceiveWindow w;
    w.skipWeekend = ini::ReadInt(accountIni, section, QStringLiteral("Auto100"), 0) != 0;
    w.startTime = ini::ReadString(accountIni, section, QStringLiteral("StartTime"), QString(), 100);
    w.endTime = ini::ReadString(accountIni, section, QStringLiteral("EndTime"), QString(), 100);
    return w;
}

bool IsInReceiveWindow(const ReceiveWindow& w, const QDateTime& now) {
    const int day = now.date().dayOfWeek();
    if (w.skipWeekend && (day == Qt::Saturday || day == Qt::Sunday))
        return false;
    const QString t = now.time().toString(QStringLiteral("HH:mm:ss"));
    // Ordinal comparison of the texts, as the times are written.
    const auto lt = [](const QString& a, const QString& b) { return QString::compare(a, b) < 0; };
    if (!lt(w.endTime, w.startTime))
        return !(lt(w.startTime, t) && lt(t, w.endTime));
    return !(lt(w.startTime, t) || lt(t, w.endTime));
}

// ---- pieces of a received message -------------------------------------------------

std::optional<QString> NormalizeSendTime(const QString& text) {
    static const QRegularExpression form(QStringLiteral(
        R"(^\s*(\d{4})[-/](\d{1,2})[-/](\d{1,2})(?:[ T]+|T)(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.\d+)?)?\s*$)"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).isEmpty() ? 0 : m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

int SendReceiveNumber(const QString& recvNum, const QString& serviceNumber) {
    const QString tail = SubNumberText(recvNum, serviceNumber);
    return tail.isEmpty() ? -1 : tail.toInt();
}

QString ForwardExtension(const QString& recvNum, const QString& serviceNumber) {
    const QString tail = SubNumberText(recvNum, serviceNumber);
    return tail.isEmpty() ? QStringLiteral("0") : tail;
}

QString ForwardText(const RECV_MSG& msg, const QString& name, const QString& signature) {
    return msg.sendTime + QStringLiteral("号码") + msg.sendNum + name + QStringLiteral("回复：") + msg.msgContent +
           QStringLiteral("【") + signature + QStringLiteral("】");
}

// ---- what the job reads -------------------------------------------------------------

ReceiveJobInputs ReceiveJobInputs::Collect(const QString& accountIni) {
    ReceiveJobInputs in;
    const AccountFields account = g_pAccount.get();
    in.serial = account[kAccountSerial];
    in.password = account[kAccountPassword];
    in.signature = account[kAccountSignature];
    in.serviceNumber = account[kAccountServiceNumber];
    in.settings = g_sysSettings;
    in.tdContact = ReadUnsubscribeCode(accountIni).left(100);
    in.show = ReadReceivedShowSettings(accountIni);
    for (const QString& line : ini::ReadSection(accountIni, QStringLiteral("GroupName"))) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed().toLower();
        // The first line of a key counts, as for every settings read.
        in.groupNames.emplace(key, line.mid(eq + 1).trimmed().left(100));
    }
    in.databasePath = SystemDatabasePath();
    return in;
}

QString ReceiveJobInputs::groupName(const QString& ext) const {
    auto it = groupNames.find(QStringLiteral("name") + ext.toLower());
    return it == groupNames.end() ? QString() : it->second;
}

// ---- the job -------------------------------------------------------------------------

ReceivedTraffic::ReceivedTraffic(ReceiveJobInputs inputs, sqlite3* db, ReceiveJobSink* sink,
                                 std::shared_ptr<ReceiveJobState> state)
    : m_in(std::move(inputs)), m_db(db), m_sink(sink), m_state(std::move(state)),
      m_client(std::make_unique<CWebServiceClient>(m_in.serial, m_in.password)) {}

ReceivedTraffic::~ReceivedTraffic() = default;

bool ReceivedTraffic::manual() const { return m_state && m_state->manual.load(); }
bool ReceivedTraffic::stopping() const { return m_state && m_state->stop.load(); }

void ReceivedTraffic::Status(const char* text) {
    if (m_sink)
        m_sink->SetStatusText(text ? Tr(text) : QString());
}

void ReceivedTraffic::Run() {
    if (stopping())
        return;
    std::vector<RECV_MSG> messages;
    if (m_client->RecevieMSG(messages) == -1) {
        if (manual() && m_sink && !stopping())
            m_sink->NothingToReceive();
        return;
    }
    if (messages.empty()) {
        LogWrite(g_logRun, "ERROR,处理接收短信出错！caRevevieMSG.GetCount =0");
        return;
    }
    // The service hands each message out once: store before anything else.
    StoreBatch(messages);
    Unsubscribe(messages);
    if (m_sink && !stopping())
        m_sink->BatchStored(manual(), m_in.show.filter());
    if (stopping())
        return;
    RunInteractiveMessages();
    AutoReply(messages);
    AutoForward(messages);
}

void ReceivedTraffic::LookupContactName(const QString& number, QString out[2]) {
    ::LookupContactName(m_db, number, out);
}

namespace {

// Name and company of the first contact with a number; prepared once for a
// whole batch.
class ContactNameQuery {
public:
    explicit ContactNameQuery(sqlite3* db)
        : m_q(db, "SELECT name,coName FROM ContactList WHERE mobileNum=? limit 1") {}
    void find(const QString& number, QString out[2]) {
        out[0].clear();
        out[1].clear();
        if (!m_q.ok()) {
            LogWrite(g_logRun, "出错了");
            return;
        }
        m_q.reset();
        m_q.bind(1, number);
        const int rc = m_q.step();
        if (rc == SQLITE_ROW) {
            out[0] = m_q.qtext(0);
            out[1] = m_q.qtext(1);
        } else if (rc != SQLITE_DONE) {
            LogWrite(g_logRun, "出错了");
        }
    }

private:
    SqlStatement m_q;
};

} // namespace

void LookupContactName(sqlite3* db, const QString& number, QString out[2]) {
    ContactNameQuery(db).find(number, out);
}

void ReceivedTraffic::StoreBatch(const std::vector<RECV_MSG>& messages) {
    m_storedRowids.clear();
    m_since.clear();
    std::vector<int64_t> rowids;
    std::vector<const RECV_MSG*> stored;
    QString since;
    SqlTransaction tx(m_db);
    if (tx.active()) {
        SqlStatement insert(m_db, "INSERT INTO receivedMSGRecord (receiveID,sendNum,msgContent,sendTime,name,coName,"
                                  "send_receive_Num) VALUES (?,?,?,?,?,?,?)");
        ContactNameQuery names(m_db);
        for (const RECV_MSG& m : messages) {
            const std::optional<QString> time = NormalizeSendTime(m.sendTime);
            QString contact[2];
            names.find(m.sendNum, contact);
            const std::optional<int64_t> id = IntegerId(m.receiveID);
            if (!id)
                LogWrite(g_logRun, "INFO,received message id is not a 64-bit integer, bound as text: " +
                                       LogEscape(m.receiveID));
            insert.reset();
            if (id)
                insert.bind(1, *id);
            else
                insert.bind(1, m.receiveID);
            insert.bind(2, m.sendNum)
                .bind(3, m.msgContent)
                .bind(4, time ? *time : m.sendTime)
                .bind(5, contact[0])
                .bind(6, contact[1])
                .bind(7, SendReceiveNumber(m.recvNum, m_in.serviceNumber));
            if (!insert.ok() || insert.step() != SQLITE_DONE) {
                LogWrite(g_logRun, "收短信时插入数据库时出错了");
                LogWrite(g_logRun, WholeMessage(m));
                continue;
            }
            rowids.push_back(sqlite3_last_insert_rowid(m_db));
            stored.push_back(&m);
            if (time && (since.isEmpty() || *time < since))
                since = *time;
        }
        if (tx.commit() == SQLITE_OK) {
            m_storedRowids = std::move(rowids);
            m_since = since;
            return;
        }
    }
    // Nothing of the batch was stored: every message not yet logged goes to
    // the log whole.
    if (!tx.active()) {
        stored.clear();
        for (const RECV_MSG& m : messages)
            stored.push_back(&m);
    }
    for (const RECV_MSG* m : stored) {
        LogWrite(g_logRun, "收短信时插入数据库时出错了");
        LogWrite(g_logRun, WholeMessage(*m));
    }
}

void ReceivedTraffic::Unsubscribe(const std::vector<RECV_MSG>& messages) {
    // The keyword is a case-sensitive part of the text as received; an
    // empty one never matches.
    if (m_in.tdContact.isEmpty())
        return;
    SqlStatement del(m_db, "delete from  ContactList  where mobileNum = ? ");
    for (const RECV_MSG& m : messages) {
        if (!m.msgContent.contains(m_in.tdContact, Qt::CaseSensitive))
            continue;
        del.reset();
        del.bind(1, m.sendNum);
        if (!del.ok() || del.exec() != SQLITE_OK)
            LogSqlError(sqlite3_errmsg(m_db), SQLITE_ERROR, "ERROR: 退订时，删除联系人出错");
    }
}

void ReceivedTraffic::RunInteractiveMessages() {
    Status("正在处理互动短信...");
    LogWrite(g_logRun, "正在处理互动短信...");
    std::vector<std::pair<QString, QString>> rules;
    {
        SqlStatement q(m_db, "SELECT content,sqlDes FROM interactiveMsgSql ORDER BY name");
        int rc = q.ok() ? q.step() : SQLITE_ERROR;
        for (; rc == SQLITE_ROW; rc = q.step())
            rules.emplace_back(q.qtext(0), q.qtext(1));
        if (rc != SQLITE_DONE)
            LogWrite(g_logRun, "查询互动短信的sql记录出错了");
    }
    for (const auto& [content, sqlDes] : rules) {
        if (stopping())
            break;
        RunRule(content, sqlDes);
    }
    Status(nullptr);
}

void ReceivedTraffic::RunRule(const QString& content, const QString& sqlDes) {
    // The stored statement alone first: exactly one read-only statement.
    const std::string rule = sqlDes.toStdString();
    if (sqlite3_stmt* alone = PrepareReadOnlyRule(m_db, rule))
        sqlite3_finalize(alone);
    else
        return;
    if (m_storedRowids.empty())
        return;
    // Only the batch just stored may match.
    std::string sql = rule + " AND sendTime>='" + SqlEscape(m_since) + "'" + " AND rowid IN (";
    for (size_t i = 0; i < m_storedRowids.size(); ++i)
        sql += (i ? "," : "") + std::to_string(m_storedRowids[i]);
    sql += ")";
    sqlite3_stmt* stmt = PrepareReadOnlyRule(m_db, sql);
    if (!stmt)
        return;
    AutoSend send;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        send.items.push_back(NUM_CONTENT{QString::fromUtf8(text ? text : ""), QString()});
    }
    if (rc != SQLITE_DONE)
        LogSqlError(sqlite3_errmsg(m_db), rc, "查询互动短信的sql记录出错了");
    sqlite3_finalize(stmt);
    if (send.items.empty())
        return;

    send.personalised = FillAutoSendTexts(m_db, content, send.items);
    QStringList numbers;
    QStringList contents;
    for (const NUM_CONTENT& item : send.items) {
        numbers << item.number;
        if (send.personalised)
            contents << GxmtContent(item.text);
    }
    const QString numberList = numbers.join(QLatin1Char(','));
    if (send.personalised) {
        const QString contentList = contents.join(QLatin1Char(','));
        SendAndRecord(send, [&](std::string&) { return m_client->CallGxmt(numberList, contentList, QString(), QString()); });
    } else {
        SendAndRecord(send, [&](std::string& rrid) {
            return m_client->CallSmsSendAuto(numberList, content, QString(), rrid);
        });
    }
}

void ReceivedTraffic::AutoReply(const std::vector<RECV_MSG>& messages) {
    if (m_in.settings.size() < 2 || m_in.settings[1].flag == 0 || messages.empty() || stopping())
        return;
    Status("正在处理自动回复...");
    const QString text = m_in.settings[1].text;
    AutoSend send;
    QStringList numbers;
    // Every message gets its answer, also a second one from the same sender.
    for (const RECV_MSG& m : messages) {
        numbers << m.sendNum;
        send.items.push_back(NUM_CONTENT{m.sendNum, text});
    }
    const QString numberList = numbers.join(QLatin1Char(','));
    SendAndRecord(send, [&](std::string& rrid) { return m_client->CallSmsSendAuto(numberList, text, QString(), rrid); });
    Status(nullptr);
}

void ReceivedTraffic::AutoForward(const std::vector<RECV_MSG>& messages) {
    if (m_in.settings.size() < 8 || m_in.settings[2].flag == 0 || stopping())
        return;
    Status("正在处理自动转发...");
    QStringList split;
    SplitString(m_in.settings[2].text, QStringLiteral(","), split);
    QStringList targets;
    for (const QString& t : split)
        if (!t.trimmed().isEmpty())
            targets << t.trimmed();
    const bool withName = m_in.settings[7].flag != 0;
    SqlStatement groupQuery(m_db, "select mobileNum from contactList where groupId in (select groupId from "
                                  "ContactGroup where GroupName =?)");
    // The name of the sender's last stored row: the message just stored, so
    // the backward search ends at once.
    SqlStatement nameQuery(m_db,
                           "SELECT name FROM receivedMSGRecord WHERE sendNum=? ORDER BY rowid DESC LIMIT 1");
    for (const RECV_MSG& m : messages) {
        if (stopping())
            break;
        QStringList recipients = targets;
        groupQuery.reset();
        groupQuery.bind(1, m_in.groupName(ForwardExtension(m.recvNum, m_in.serviceNumber)));
        for (int rc = groupQuery.ok() ? groupQuery.step() : SQLITE_ERROR; rc == SQLITE_ROW;
             rc = groupQuery.step())
            recipients << groupQuery.qtext(0);
        QString name;
        if (withName) {
            nameQuery.reset();
            nameQuery.bind(1, m.sendNum);
            if (nameQuery.ok() && nameQuery.step() == SQLITE_ROW)
                name = nameQuery.qtext(0);
        }
        const QString text = ForwardText(m, name, m_in.signature);
        if (recipients.isEmpty() || text.isEmpty())
            continue;
        AutoSend send;
        for (const QString& r : recipients)
            send.items.push_back(NUM_CONTENT{r, text});
        const QString numberList = recipients.join(QLatin1Char(','));
        SendAndRecord(send,
                      [&](std::string& rrid) { return m_client->CallSmsSendAuto(numberList, text, QString(), rrid); });
    }
    Status(nullptr);
}

void ReceivedTraffic::SendAndRecord(AutoSend& send, const std::function<int(std::string& rrid)>& call) {
    if (stopping() || send.items.empty())
        return;
    // Recorded as pending before the call, then with the call's outcome: a
    // send whose answer never came stays "未知", never passes for sent.
    SendAndRecordInteractive(m_db, *m_client, send.personalised, send.items, call);
}

void RunReceiveJob(const ReceiveJobInputs& inputs, ReceiveJobSink* sink, std::shared_ptr<ReceiveJobState> state) {
    sqlite3* db = OpenConnection(inputs.databasePath);
    if (!db)
        return;
    {
        ReceivedTraffic job(inputs, db, sink, std::move(state));
        job.Run();
    }
    CloseConnection(db);
}
