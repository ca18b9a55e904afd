#include "tests/support/record_generator.h"

#include "core/sql.h"

#include <cstdio>
#include <string>

namespace {

constexpr int kCodes[] = {1000000001, 1000000002, 1000000003, 1000000005, 1000002001, 1000002002,
                          1000002003, 1000003001, 1000003002, 1000003003, 1000004001, 1000004002,
                          1000004003, 1000005001, 1000005002, 1000005003};
constexpr int kCodeCount = sizeof(kCodes) / sizeof(kCodes[0]);
constexpr int kSurveyCode = 1000000005;

// Contents that sort differently by pinyin than by code point.
const char* const kSmsTexts[] = {"周末促销通知", "阿里会议提醒", "北京天气预报", "新品上市",
                                 "中秋祝福",     "会员积分到账", "Zoo opening",  "apple price"};
const char* const kStatuses[] = {nullptr, "未知", "成功", "失败"};
const char16_t kSurnames[] = u"张李王赵钱孙周吴郑冯陈褚卫蒋沈韩杨朱秦尤许何吕施";
const char16_t kGiven[] = u"一二三四五六七八九十明华强伟芳娜敏静丽军";

int SendTypeOf(int code) {
    if (code == kSurveyCode)
        return 6;
    // 1000000xxx SMS, 1000002xxx fax ... 1000005xxx voice.
    const int channel = (code - 1000000000) / 1000;
    return channel == 0 ? 1 : channel;
}

// Civil date from days since 1970-01-01 (Howard Hinnant's algorithm), so a
// million time stamps cost no QDateTime each.
void CivilFromDays(qint64 z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 yy = static_cast<qint64>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yy + (m <= 2));
}

std::string TimeText(qint64 seconds) {
    constexpr qint64 kBaseDays = 19723; // 2024-01-01
    const qint64 days = kBaseDays + seconds / 86400;
    const qint64 rest = seconds % 86400;
    int y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u %02d:%02d:%02d", y, m, d, static_cast<int>(rest / 3600),
                  static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
    return buf;
}

std::string NumberText(const char* prefix, qint64 n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%08lld", prefix, static_cast<long long>(n % 100000000));
    return buf;
}

bool Failed(SqlStatement& st) {
    return st.step() != SQLITE_DONE;
}

} // namespace

int GeneratedRecordCode(int i, const RecordGeneratorOptions& options) {
    return options.smsSentOnly ? 1000000003 : kCodes[i % kCodeCount];
}

QString GeneratedRecordNumber(int i, int k, const RecordGeneratorOptions& options) {
    const int n = options.numbersPerRecord;
    if (n >= 3 && k == n - 1 && i % 10 == 7)
        k = 0;
    if (SendTypeOf(GeneratedRecordCode(i, options)) == 3)
        return QStringLiteral("r%1.%2@example.invalid").arg(i).arg(k);
    return QString::fromStdString(NumberText("138", static_cast<qint64>(i) * n + k));
}

QString GeneratedRecipientName(int i, int k) {
    return QString(QChar(kSurnames[(i + k) % 24])) + QChar(kGiven[(i / 3 + k) % 20]) + QChar(kGiven[k % 20]);
}

QString GeneratedTime(qint64 seconds) {
    return QString::fromStdString(TimeText(seconds));
}

GeneratedRecords GenerateRecords(const RecordGeneratorOptions& options, sqlite3* db, sqlite3* customerDb) {
    GeneratedRecords out;
    const int total = options.records + (options.bigRecordNumbers > 0 ? 1 : 0);
    out.records = options.records;
    out.firstSendID = AllocateId(db, "sendInfo", "sendID", total > 0 ? total : 1);
    if (options.bigRecordNumbers > 0)
        out.bigSendID = out.firstSendID + options.records;
    out.firstReceiveID = AllocateId(db, "receivedMSGRecord", "receiveID", options.received > 0 ? options.received : 1);
    if (out.firstSendID == 0 || out.firstReceiveID == 0)
        return out;

    SqlTransaction tx(db);
    if (!tx.active())
        return out;
    SqlStatement info(db, "INSERT INTO sendInfo (content, submitTime, timingTime, count, isDraft, isFail, sendID, "
                          "sendType, send_receive_Num) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    SqlStatement nums(db, "INSERT INTO sendNums (sendID, numOrMailAddr, name, taskID, rrid, status) "
                          "VALUES (?1, ?2, ?3, 0, ?4, ?5)");
    SqlStatement attach(db, "INSERT INTO attachmentContent (soundFileFullPath, pictureFullPath, txtContent, "
                            "sendID, sendIDChildID) VALUES (?1, ?2, ?3, ?4, '1')");
    SqlStatement recv(db, "INSERT INTO receivedMSGRecord (receiveID, sendNum, msgContent, sendTime, alreadyRead, "
                          "name, coName, send_receive_Num) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
    if (!info.ok() || !nums.ok() || !attach.ok() || !recv.ok())
        return out;

    const int n = options.numbersPerRecord;
    qint64 extraReceiveID = out.firstReceiveID + options.received;
    auto addRecipient = [&](qint64 sendId, int i, int k, const std::string& number, const QString& name) {
        nums.reset();
        nums.bind(1, static_cast<int64_t>(sendId)).bind(2, number).bind(3, name);
        nums.bind(4, NumberText("rr", static_cast<qint64>(i) * 7 + k));
        if (const char* status = kStatuses[(i + k) % 4])
            nums.bind(5, status);
        else
            nums.bindNull(5);
        return !Failed(nums);
    };
    auto addReply = [&](const std::string& number, const QString& text, const std::string* time, int subNumber,
                        const QString& name) {
        recv.reset();
        recv.bind(1, static_cast<int64_t>(extraReceiveID++)).bind(2, number).bind(3, text);
        if (time)
            recv.bind(4, *time);
        else
            recv.bindNull(4);
        recv.bind(5, 0).bind(6, name).bind(7, "调查单位").bind(8, subNumber);
        ++out.receivedRows;
        ++out.surveyReplies;
        return !Failed(recv);
    };

    for (int i = 0; i < total; ++i) {
        const bool big = i == options.records;
        const int code = big ? 1000000003 : GeneratedRecordCode(i, options);
        const int type = SendTypeOf(code);
        const int kind = code == kSurveyCode ? 0 : code % 10; // 1 draft, 2 failed, 3 sent
        const qint64 sendId = out.firstSendID + i;
        // The big record is as old as record 0, so it lists last, not first.
        const qint64 at = big ? 0 : static_cast<qint64>(i) * 60;
        const std::string submit = TimeText(at);
        const int subNumber = 1 + i % 100;

        QString content;
        if (type == 2)
            content = QStringLiteral("C:\\fax\\doc%1.tif").arg(i);
        else if (type == 1 || type == 6)
            content = QString::fromUtf8(kSmsTexts[i % 8]) + QStringLiteral(" %1").arg(i);
        else
            content = QStringLiteral("主题%1").arg(i);
        info.reset();
        info.bind(1, content).bind(2, submit);
        if (code == kSurveyCode)
            info.bind(3, TimeText(at + 3600)); // the end of the survey's reply window
        else if (i % 5 == 1)
            info.bind(3, TimeText(at + 3600 - at % 60));
        else if (i % 5 == 2)
            info.bindNull(3);
        else
            info.bind(3, "");
        info.bind(4, type == 2 ? -1 : 1 + i % 3)
            .bind(5, kind == 1 ? 1 : 0)
            .bind(6, kind == 2 ? 1 : 0)
            .bind(7, static_cast<int64_t>(sendId))
            .bind(8, type);
        if (type == 1 || type == 6)
            info.bind(9, subNumber);
        else
            info.bind(9, 0);
        if (Failed(info))
            return out;

        if (big) {
            for (int k = 0; k < options.bigRecordNumbers; ++k)
                if (!addRecipient(sendId, i, k, NumberText("135", k), GeneratedRecipientName(i, k)))
                    return out;
            continue;
        }
        for (int k = 0; k < n; ++k)
            if (!addRecipient(sendId, i, k, GeneratedRecordNumber(i, k, options).toStdString(),
                              GeneratedRecipientName(i, k)))
                return out;
        if (type >= 3 && type <= 5) {
            attach.reset();
            attach.bind(1, type == 5 ? QStringLiteral("C:\\voice\\v%1.wav").arg(i) : QString())
                .bind(2, type == 4 ? QStringLiteral("C:\\mms\\p%1.jpg").arg(i) : QString())
                .bind(3, QStringLiteral("正文%1").arg(i))
                .bind(4, static_cast<int64_t>(sendId));
            if (Failed(attach))
                return out;
        }
        if (code == kSurveyCode && n > 0) {
            const std::string first = GeneratedRecordNumber(i, 0, options).toStdString();
            const std::string t1 = TimeText(at + 10), t2 = TimeText(at + 20), t3 = TimeText(at + 30);
            if (!addReply(first, QStringLiteral("A"), &t1, subNumber, GeneratedRecipientName(i, 0)) ||
                !addReply(first, QStringLiteral("A again"), &t2, subNumber, GeneratedRecipientName(i, 0)))
                return out;
            if (n > 1 && !addReply(GeneratedRecordNumber(i, 1, options).toStdString(), QStringLiteral("B"), &t3,
                                   subNumber, GeneratedRecipientName(i, 1)))
                return out;
        }
    }
    if (!options.smsSentOnly && options.records > 3) {
        if (!addReply(kOutsiderNumber, QStringLiteral("不在名单的回复"), nullptr, 4, QStringLiteral("外人")))
            return out;
    }

    for (int j = 0; j < options.received; ++j) {
        QString text;
        switch (j % 5) {
        case 0: text = QStringLiteral("It's \"quoted\" 第%1条").arg(j); break;
        case 1: text = QStringLiteral("第一行,逗号\r\n第二行，%1").arg(j); break;
        default: text = QString::fromUtf8(kSmsTexts[j % 8]) + QStringLiteral(" 回复%1").arg(j); break;
        }
        const qint64 id = out.firstReceiveID + j - (j % 50 == 49 ? 1 : 0);
        recv.reset();
        recv.bind(1, static_cast<int64_t>(id))
            .bind(2, NumberText("139", j % 7919))
            .bind(3, text)
            .bind(4, TimeText(static_cast<qint64>(j) * 37 + 5));
        if (j % 3 == 2)
            recv.bindNull(5);
        else
            recv.bind(5, j % 3);
        recv.bind(6, GeneratedRecipientName(j, 1))
            .bind(7, QStringLiteral("公司%1").arg(j % 13))
            .bind(8, j % 4 == 0 ? -1 : 1 + j % 100);
        if (Failed(recv))
            return out;
        ++out.receivedRows;
    }
    if (tx.commit() != SQLITE_OK)
        return out;

    if (customerDb) {
        SqlTransaction ctx(customerDb);
        if (!ctx.active())
            return out;
        SqlStatement count(customerDb, "insert into CountmsgRecord(sendID,mark,submitTime,isFail,msgcount,numcount) "
                                       "values(?1,?2,?3,?4,?5,?6)");
        if (!count.ok())
            return out;
        for (int i = 0; i < total; ++i) {
            const bool big = i == options.records;
            const int code = big ? 1000000003 : GeneratedRecordCode(i, options);
            if (code != 1000000002 && code != 1000000003)
                continue;
            const int numbers = big ? options.bigRecordNumbers : n;
            count.reset();
            count.bind(1, static_cast<int64_t>(out.firstSendID + i))
                .bind(2, i % 2 ? "移动" : "联通")
                .bind(3, TimeText(big ? 0 : static_cast<qint64>(i) * 60))
                .bind(4, code == 1000000002 ? 1 : 0)
                .bind(5, numbers * (1 + i % 3))
                .bind(6, numbers);
            if (Failed(count))
                return out;
        }
        if (ctx.commit() != SQLITE_OK)
            return out;
    }
    out.ok = true;
    return out;
}

bool InsertSentRecord(const SentRecordRow& r, int subNumber, sqlite3* db) {
    SqlStatement st(db, "INSERT INTO sendInfo (content,submitTime,timingTime,count,isDraft,isFail,sendID,"
                        "sendType,send_receive_Num) VALUES (?,?,?,?,?,?,?,?,?)");
    st.bind(1, r.content).bind(2, r.submitTime).bind(3, r.timingTime).bind(4, r.count);
    st.bind(5, r.isDraft).bind(6, r.isFail).bind(7, static_cast<int64_t>(r.sendId)).bind(8, r.sendType);
    st.bind(9, subNumber);
    return st.exec() == SQLITE_OK;
}

bool InsertSendNumber(qint64 sendId, const QString& number, const QString& name, const QString& status,
                      sqlite3* db) {
    SqlStatement st(db, "INSERT INTO sendNums (sendID,numOrMailAddr,name,status) VALUES (?,?,?,?)");
    st.bind(1, static_cast<int64_t>(sendId)).bind(2, number).bind(3, name).bind(4, status);
    return st.exec() == SQLITE_OK;
}
