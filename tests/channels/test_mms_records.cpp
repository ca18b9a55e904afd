// The MMS composer's numbers (acceptance, the number text, display) and the
// channel record writer: pending then outcome, attachments in frame order,
// texts stored as typed, the replaced record, and failed statements rolled
// back with their messages.
#include "channels/channel_records.h"
#include "channels/mms_numbers.h"
#include "channels/mms_submission.h"

#include "core/app_globals.h"
#include "core/database.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "tests/support/hash_virtual_list.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"

#include <gtest/gtest.h>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

SmsRecipient Recipient(const char* number, const QString& name = QString()) {
    SmsRecipient r;
    r.number = number;
    r.key = *RecipientNumberKey(std::string_view(number));
    r.name = name;
    return r;
}

// ------------------------------------------------------------ numbers

TEST(MmsNumbers, TheComposerTakesMobileNumbersOnly) {
    struct Case {
        const char* typed;
        qint64 key; // 0: skipped
    };
    const Case cases[] = {
        {"13812345678", 13812345678LL},
        {"19999999999", 19999999999LL},
        {"13000000000", 13000000000LL},
        {"20000000000", 20000000000LL}, // the upper bound itself
        {"20000000001", 0},
        {"12999999999", 0},
        {"0755123456", 0},    // keyed 20755123456: out of range
        {"013812345678", 0},  // keyed with its "0" kept: never a shortened 13812345678
        {"0013812345678", 0}, // international: never a mobile number without its zeros
        {"0000000000", 0},    // would read as 20000000000
        {"1381234567a", 0},
        {"138 12345678", 0},
        {"+8613812345678", 0},
        {"", 0},
        {"138123456789012345678", 0},
    };
    for (const Case& c : cases) {
        const std::optional<qint64> key = MmsNumberKey(Q(c.typed));
        EXPECT_EQ(key.value_or(0), c.key) << c.typed;
    }
}

TEST(MmsNumbers, TheNumberTextKeepsEveryDigitAndRowOrder) {
    HashVirtualList list;
    const struct {
        const char* number;
        const char* name;
    } rows[] = {
        {"13812345678", "张三"},
        {"20000000000", ""},              // sent whole, never "0000000000"
        {"0085212345678", "Intl"},        // from the add-numbers dialog: both zeros stay
        {"075512345678", "O'Brien \"x\""} // a landline keyed "2075512345678"
    };
    for (const auto& r : rows) {
        const qint64 key = *RecipientNumberKey(std::string_view(r.number));
        const QString name = Q(r.name);
        ASSERT_TRUE(list.SetItem(list.GetCount(), &key, name.isEmpty() ? nullptr : &name));
    }
    EXPECT_EQ(BuildNumberText(&list), "13812345678,20000000000,0085212345678,075512345678");
    EXPECT_EQ(BuildNumberText(nullptr), "");
    HashVirtualList empty;
    EXPECT_EQ(BuildNumberText(&empty), "");

    const std::vector<SmsRecipient> recipients = BuildRecipients(list);
    ASSERT_EQ(recipients.size(), 4u);
    for (size_t i = 0; i < recipients.size(); ++i) {
        EXPECT_EQ(recipients[i].number, rows[i].number);
        EXPECT_EQ(recipients[i].name, Q(rows[i].name)); // the row's own name
    }
}

TEST(MmsNumbers, DisplayMasksForUsersUnderTheMaskingRight) {
    struct Case {
        QStringList rights;
        const char* shown;
    };
    QStringList op(17, QStringLiteral("1"));
    op[0] = QStringLiteral("OP");
    QStringList unmasked = op;
    unmasked[16] = QStringLiteral("0");
    const Case cases[] = {
        {op, "138****5678"},
        {unmasked, "13812345678"},
        {QStringList{QStringLiteral("AD")}, "13812345678"},
    };
    for (const Case& c : cases) {
        g_pLoginRights = std::make_unique<QStringList>(c.rights);
        EXPECT_EQ(MmsNumberDisplay(13812345678LL), Q(c.shown)) << c.rights.join(',').toStdString();
        // The real number is what "保存联系人" gets.
        EXPECT_EQ(NumberFromKey(13812345678LL), QStringLiteral("13812345678"));
    }
    g_pLoginRights.reset();
}

// ------------------------------------------------------------ records

class MmsRecords : public ProgramFolderTest {
protected:
    std::vector<std::string> rows(const std::string& sql) { return QueryRows(g_pDB, sql); }

    ChannelRecord record(const std::vector<SmsRecipient>& numbers, int frames = 2) {
        ChannelRecord rec;
        rec.content = Q("主题");
        rec.submitTime = QStringLiteral("2026-03-05 10:20:30");
        for (int i = 0; i < frames; ++i)
            rec.attachments.push_back({QStringLiteral("/s%1.amr").arg(i), QStringLiteral("/p%1.jpg").arg(i),
                                       QStringLiteral("text %1").arg(i)});
        rec.numbers = numbers.data();
        rec.numCount = static_cast<int>(numbers.size());
        return rec;
    }

    // An old record of three kinds of rows, to be replaced.
    qint64 oldRecord() {
        const std::vector<SmsRecipient> numbers = {Recipient("13900000000")};
        ChannelRecord rec = record(numbers, 3);
        rec.content = QStringLiteral("old");
        for (ChannelAttachment& a : rec.attachments)
            a.text = QStringLiteral("old");
        ChannelRecordWriter writer(g_pDB);
        EXPECT_TRUE(writer.WriteDraft(rec));
        return rec.sendId;
    }
    std::string whole(qint64 id) {
        const std::string s = std::to_string(id);
        return std::to_string(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo WHERE sendID=" + s)) + "/" +
               std::to_string(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE sendID=" + s)) + "/" +
               std::to_string(QueryScalar(g_pDB, "SELECT COUNT(*) FROM attachmentContent WHERE sendID=" + s));
    }

    MessageBoxRecorder m_boxes;
};

TEST_F(MmsRecords, PendingThenEachOutcome) {
    const std::vector<SmsRecipient> numbers = {Recipient("13800000001", Q("甲")), Recipient("13800000002")};
    struct Case {
        SmsSendOutcome outcome;
        const char* info;   // count|isDraft|isFail
        const char* status; // of both numbers
    };
    const Case cases[] = {
        {SmsSendOutcome::Sent, "6|0|0", "<null>"},
        {SmsSendOutcome::Failed, "6|0|1", "<null>"},
        {SmsSendOutcome::Unknown, "0|0|0", "未知"},
    };
    for (const Case& c : cases) {
        ChannelRecordWriter writer(g_pDB);
        ChannelRecord rec = record(numbers);
        rec.timingTime = QStringLiteral("2026-03-06 08:00:00");
        ASSERT_TRUE(writer.WritePending(rec));
        const std::string id = std::to_string(rec.sendId);
        // Committed before the call: pending, count 0.
        EXPECT_EQ(rows("SELECT content,submitTime,timingTime,count,isDraft,isFail,sendType,send_receive_Num "
                       "FROM sendInfo WHERE sendID=" +
                       id),
                  std::vector<std::string>{"主题|2026-03-05 10:20:30|2026-03-06 08:00:00|0|0|0|4|0"});
        EXPECT_EQ(rows("SELECT numOrMailAddr,name,status,rrid,taskID FROM sendNums WHERE sendID=" + id),
                  (std::vector<std::string>{"13800000001|甲|未知||0", "13800000002||未知||0"}));
        ASSERT_TRUE(writer.WriteOutcome(rec, c.outcome));
        EXPECT_EQ(rows("SELECT count,isDraft,isFail FROM sendInfo WHERE sendID=" + id),
                  std::vector<std::string>{c.info});
        EXPECT_EQ(rows("SELECT DISTINCT IFNULL(status,'<null>') FROM sendNums WHERE sendID=" + id),
                  std::vector<std::string>{c.status});
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM attachmentContent WHERE sendID=" + id), 2);
    }
    // Three records, three distinct ids.
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(DISTINCT sendID) FROM sendInfo"), 3);
}

TEST_F(MmsRecords, TwentyFramesComeBackInFrameOrder) {
    const std::vector<SmsRecipient> numbers = {Recipient("13800000001")};
    ChannelRecord rec = record(numbers, 20);
    ChannelRecordWriter writer(g_pDB);
    ASSERT_TRUE(writer.WriteDraft(rec));
    const std::string id = std::to_string(rec.sendId);
    const auto children =
        rows("SELECT sendIDChildID FROM attachmentContent WHERE sendID=" + id + " ORDER BY rowid");
    ASSERT_EQ(children.size(), 20u);
    EXPECT_EQ(children[0], "1");
    EXPECT_EQ(children[8], "9");
    EXPECT_EQ(children[9], ":"); // the tenth frame
    EXPECT_EQ(children[19], "D");
    const auto texts =
        rows("SELECT txtContent FROM attachmentContent WHERE sendID=" + id + " ORDER BY sendIDChildID");
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(texts[static_cast<size_t>(i)], "text " + std::to_string(i));
}

TEST_F(MmsRecords, TextsAreStoredAsTyped) {
    const QString longText = QString(QChar(u'长')).repeated(10000);
    const QString title = Q("it's \"引号\" 😀 '; DROP TABLE sendInfo; --");
    const std::vector<SmsRecipient> numbers = {Recipient("13800000001", Q("O'Neil \"昵称\""))};
    ChannelRecord rec = record(numbers, 1);
    rec.content = title;
    rec.attachments[0] = {Q("/tmp/it's/声音.amr"), Q("/tmp/a'b\"c/图.jpg"), longText + Q("😀'")};
    ChannelRecordWriter writer(g_pDB);
    ASSERT_TRUE(writer.WritePending(rec));
    ASSERT_TRUE(writer.WriteOutcome(rec, SmsSendOutcome::Sent));
    const std::string id = std::to_string(rec.sendId);
    SqlStatement st(g_pDB, "SELECT i.content,a.soundFileFullPath,a.pictureFullPath,a.txtContent,n.name FROM "
                           "sendInfo i JOIN attachmentContent a ON a.sendID=i.sendID JOIN sendNums n ON "
                           "n.sendID=i.sendID WHERE i.sendID=" +
                               id);
    ASSERT_EQ(st.step(), SQLITE_ROW);
    EXPECT_EQ(st.qtext(0), title);
    EXPECT_EQ(st.qtext(1), Q("/tmp/it's/声音.amr"));
    EXPECT_EQ(st.qtext(2), Q("/tmp/a'b\"c/图.jpg"));
    EXPECT_EQ(st.qtext(3), longText + Q("😀'"));
    EXPECT_EQ(st.qtext(4), Q("O'Neil \"昵称\""));
}

TEST_F(MmsRecords, TheReplacedRecordGoesWithTheLastOutcomeOrTheDraft) {
    const std::vector<SmsRecipient> numbers = {Recipient("13800000001")};
    // A send: the old record is whole while the batch is pending, and gone,
    // attachments too, once the outcome that replaces it is written.
    const qint64 old = oldRecord();
    EXPECT_EQ(whole(old), "1/1/3");
    ChannelRecordWriter writer(g_pDB);
    ChannelRecord rec = record(numbers);
    ASSERT_TRUE(writer.WritePending(rec));
    EXPECT_EQ(whole(old), "1/1/3");
    ASSERT_TRUE(writer.WriteOutcome(rec, SmsSendOutcome::Unknown, old));
    EXPECT_EQ(whole(old), "0/0/0");
    EXPECT_EQ(whole(rec.sendId), "1/1/2");

    // A draft replaces in its own transaction; an empty list is allowed.
    const qint64 old2 = oldRecord();
    ChannelRecord draft = record({}, 1);
    ASSERT_TRUE(writer.WriteDraft(draft, old2));
    EXPECT_EQ(whole(old2), "0/0/0");
    EXPECT_EQ(rows("SELECT isDraft,isFail,count,timingTime FROM sendInfo WHERE sendID=" +
                   std::to_string(draft.sendId)),
              std::vector<std::string>{"1|0|0|"});
}

TEST_F(MmsRecords, AFailedStatementRollsBackWithItsMessage) {
    struct Case {
        const char* name;
        const char* trigger;
        bool replacing;
        ChannelWriteError error;
        const char* message;
    };
    const Case cases[] = {
        {"sendInfo insert", "BEFORE INSERT ON sendInfo WHEN NEW.content='主题'", false,
         ChannelWriteError::JobRow, "存入彩信记录主题等出错了"},
        {"attachment insert", "BEFORE INSERT ON attachmentContent WHEN NEW.txtContent='text 1'", false,
         ChannelWriteError::AttachmentInsert, "保存彩信附件记录出错了"},
        {"number insert", "BEFORE INSERT ON sendNums WHEN NEW.numOrMailAddr='13800000002'", false,
         ChannelWriteError::JobRow, "存入彩信记录主题等出错了"},
        {"old attachments", "BEFORE DELETE ON attachmentContent", true, ChannelWriteError::AttachmentDelete,
         "删除原彩信附件记录出错了"},
        {"old numbers", "BEFORE DELETE ON sendNums", true, ChannelWriteError::NumbersDelete,
         "删除原彩信号码记录出错了"},
    };
    const std::vector<SmsRecipient> numbers = {Recipient("13800000001"), Recipient("13800000002")};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ExecSql(nullptr, g_pDB,
                          "DELETE FROM sendInfo; DELETE FROM sendNums; DELETE FROM attachmentContent;"),
                  0);
        const qint64 old = c.replacing ? oldRecord() : 0;
        ASSERT_EQ(ExecSql(nullptr, g_pDB,
                          std::string("CREATE TRIGGER fail ") + c.trigger +
                              " BEGIN SELECT RAISE(ABORT,'no'); END;"),
                  0);
        m_boxes.clear();
        // A draft and a whole failed record take the same road as a pending write.
        for (int road = 0; road < 2; ++road) {
            ChannelRecordWriter writer(g_pDB);
            ChannelRecord rec = record(numbers);
            const bool ok = c.replacing
                                ? (road == 0 ? writer.WriteDraft(rec, old) : writer.WriteFailed(rec, old))
                                : (road == 0 ? writer.WritePending(rec) : writer.WriteDraft(rec));
            EXPECT_FALSE(ok);
            EXPECT_EQ(writer.lastError(), c.error);
            EXPECT_EQ(ChannelWriteErrorText(writer.lastError()), Q(c.message));
            // Nothing of the new record, the old one whole, no transaction left open.
            EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo WHERE content='主题'"), 0);
            EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE numOrMailAddr LIKE '138%'"), 0);
            EXPECT_EQ(
                QueryScalar(g_pDB, "SELECT COUNT(*) FROM attachmentContent WHERE txtContent LIKE 'text%'"),
                0);
            if (old) {
                EXPECT_EQ(whole(old), "1/1/3");
            }
            EXPECT_NE(sqlite3_get_autocommit(g_pDB), 0);
        }
        // The composer's draft shows the message.
        EXPECT_EQ(SaveMmsDraft(g_pDB, Q("主题"),
                               {{QString(), QString(), QString(), QStringLiteral("text 1")}}, numbers, old,
                               QDateTime::currentDateTime()),
                  0);
        ASSERT_FALSE(m_boxes.shown().empty());
        EXPECT_EQ(m_boxes.shown().back().text, Q(c.message));
        EXPECT_EQ(m_boxes.shown().back().type & mb::IconMask, mb::IconError);
        ASSERT_EQ(ExecSql(nullptr, g_pDB, "DROP TRIGGER fail"), 0);
    }
    // Without the trigger the same writes go through.
    ChannelRecordWriter writer(g_pDB);
    ChannelRecord rec = record(numbers);
    EXPECT_TRUE(writer.WritePending(rec));
}

TEST_F(MmsRecords, AFailedOutcomeWriteLeavesThePendingRecord) {
    const std::vector<SmsRecipient> numbers = {Recipient("13800000001")};
    const qint64 old = oldRecord();
    ChannelRecordWriter writer(g_pDB);
    ChannelRecord rec = record(numbers);
    ASSERT_TRUE(writer.WritePending(rec));
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER fail BEFORE UPDATE ON sendNums BEGIN SELECT RAISE(ABORT,'no'); END;"),
              0);
    EXPECT_FALSE(writer.WriteOutcome(rec, SmsSendOutcome::Sent, old));
    EXPECT_EQ(writer.lastError(), ChannelWriteError::JobRow);
    // Still pending, still "未知", and the old record was not removed.
    EXPECT_EQ(rows("SELECT count,isFail FROM sendInfo WHERE sendID=" + std::to_string(rec.sendId)),
              std::vector<std::string>{"0|0"});
    EXPECT_EQ(rows("SELECT status FROM sendNums WHERE sendID=" + std::to_string(rec.sendId)),
              std::vector<std::string>{"未知"});
    EXPECT_EQ(whole(old), "1/1/3");
    EXPECT_NE(sqlite3_get_autocommit(g_pDB), 0);
}

} // namespace
