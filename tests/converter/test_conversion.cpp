// The stand-in converted into the system database, and what a failed or
// interrupted conversion leaves behind (nothing).
#include "converter/old_db_converter.h"
#include "core/database.h"
#include "tests/converter/converter_fixture.h"

#include <QDir>
#include <QFile>

#include <atomic>

namespace {

struct Expectation {
    const char* what;
    std::string sql;
    std::string rows;
};

} // namespace

class ConverterConversion : public ConverterTest {
protected:
    void expectAll(const std::vector<Expectation>& table) {
        for (const Expectation& e : table)
            EXPECT_EQ(rows(e.sql), e.rows) << e.what;
    }
};

TEST_F(ConverterConversion, StandInLandsInAFreshDatabase) {
    ASSERT_EQ(rows("SELECT COUNT(*) FROM ContactGroup"), "0");
    exec("INSERT INTO receivedMSGRecord(receiveID,sendNum,msgContent) VALUES(57,'1','earlier')");
    const QByteArray before = FileBytes(source());

    QString error;
    ASSERT_TRUE(convert(&error)) << error.toStdString();

    const std::string mms = "MMS " + std::string(2100, 'x');
    expectAll({
        {"phrase groups keep their ids and quotes",
         "SELECT recID,parentID,content FROM smsSourceGroup ORDER BY recID",
         "10|2|Bob's greetings;11|10|春节"},
        {"phrases keep their ids and quotes",
         "SELECT recID,parentID,content,creatTime FROM smsSourceContent ORDER BY recID",
         "1|10|It's 'quoted'|2011-01-02 10:00:00;2|11|新年好|2011-01-03 11:00:00"},
        {"groups: B first, then in numeric order; 联系人/短信 dropped, 8 maps to 0, parents mapped",
         "SELECT GroupID,GroupName,MasterID FROM ContactGroup ORDER BY GroupID",
         "2|未分组的联系人_old|0;3|O'Brien's|0;4|Child of nine|3;5|Lost parent|0"},
        {"user fields: 7/3/2/2 in ColPosition order, N from the last character",
         "SELECT nameOfValue,name,inUse,isVisible FROM fieldDisplay WHERE inUse=1 AND fieldID>20 ORDER BY "
         "fieldID",
         "txtDef1|T1|1|1;txtDef2|T2|1|1;txtDef3|T3|1|1;txtDef4|T4|1|1;txtDef5|T5|1|1;txtDef6|T6|1|1;txtDef7|"
         "T7|1|1;"
         "numDef1|N1|1|1;numDef2|N2|1|1;numDef3|N3|1|1;boolDef1|B1|1|1;boolDef2|B2|1|1;dateDef1|D1|1|1;"
         "dateDef2|D2|1|1"},
        {"contacts: one row per relation, B without one or for a dropped group; dates cut; flags 是/否",
         "SELECT perNO,name,groupID,mobileNum,birthDay,specialDay,boolDef1,boolDef2,dateDef1 FROM "
         "ContactList "
         "ORDER BY perNO,groupID",
         "2000001|O'Neil 张|3|13800000001|1980-05-06|2000-01-02|是|否|2010-01-01;"
         "2000001|O'Neil 张|4|13800000001|1980-05-06|2000-01-02|是|否|2010-01-01;"
         "2000002|李四|5|13800000001|||是|是|;"
         "2000003||2|13800000003|||否|否|;"
         "2000004|王五|2|13800000003|||是|是|;"
         "2000005|无号码|2||||否|否|"},
        {"the other contact columns land in their new places",
         "SELECT sex,eMail,mark,txtDef1,numDef1 FROM ContactList WHERE perNO=2000001 LIMIT 1",
         "男|a@b.c|r1|tx|42"},
        {"the old account", "SELECT SerNum,PassWd,Sign FROM Register WHERE SerNum<>''",
         "SN-OLD-1|pw'1|【签名】"},
        {"sent records: class mapped, 6 gone, draft and fail from SMSType and ISsuccess",
         "SELECT sendID,sendType,isDraft,isFail,count,submitTime,timingTime FROM sendInfo ORDER BY sendID",
         "100|1|1|0|1|2011-01-05 10:00:00|;101|1|0|1|2|2011-03-07 09:00:00|2011-03-08 09:00:00;"
         "102|5|0|0|1|2011-04-01 09:00:00|;103|4|0|0|1|2011-04-02 09:00:00|;105|2|1|0|1|2011-04-04 09:00:00|;"
         "106|3|0|0|1|not a date|"},
        {"numbers: the common table, else the month's; none for received rows or class 6",
         "SELECT sendID,numOrMailAddr,name FROM sendNums ORDER BY sendID,rowid",
         "100|13800000001|O'Neil 张;100|13900000009|;101|13700000001|March"},
        {"an MMS text longer than 2048 bytes is stored whole, for the sent MMS only",
         "SELECT sendID,sendIDChildID,soundFileFullPath,pictureFullPath,txtContent FROM attachmentContent",
         "103|1|||" + mms},
        {"received: ids after 57, first non-empty name of a number, no name for an unknown number",
         "SELECT receiveID,sendNum,msgContent,sendTime,alreadyRead,name FROM receivedMSGRecord WHERE "
         "receiveID>57 "
         "ORDER BY receiveID",
         "58|13800000001|received one|2011-05-01 09:00:00|1|O'Neil 张;"
         "59|13999999999|received two|2011-05-02 09:00:00|1|;"
         "60|13800000003|received three|2011-05-03 09:00:00|0|王五"},
    });
    EXPECT_EQ(FileBytes(source()), before) << "the source is only read";
}

TEST_F(ConverterConversion, UsedDatabaseKeepsItsRowsAndConvertedIdsMovePastThem) {
    exec("INSERT INTO ContactGroup(GroupID,GroupName,MasterID) VALUES(1,'我的同事',0),(7,'Family',1);"
         "INSERT INTO ContactList(name,mobileNum,groupID,perNO) VALUES('Mine','13100000000',7,1);"
         "INSERT INTO smsSourceGroup VALUES(10,2,'mine');"
         "INSERT INTO smsSourceContent VALUES(5,10,'my phrase','2020-01-01 00:00');"
         "INSERT INTO sendInfo(content,sendID,sendType) VALUES('my send',300,1);"
         "INSERT INTO sendNums(sendID,numOrMailAddr,name) VALUES(300,'13100000000','Mine');"
         "INSERT INTO receivedMSGRecord(receiveID,sendNum,msgContent) VALUES(9,'13100000000','hi');"
         "DELETE FROM Register; INSERT INTO Register(SerNum,PassWd,Sign) VALUES('SN-NEW','x','');");
    QString error;
    ASSERT_TRUE(convert(&error)) << error.toStdString();

    expectAll({
        {"own groups stay, converted ones follow B = largest + 2",
         "SELECT GroupID,GroupName,MasterID FROM ContactGroup ORDER BY GroupID",
         "1|我的同事|0;7|Family|1;9|未分组的联系人_old|0;10|O'Brien's|0;11|Child of nine|10;12|Lost "
         "parent|0"},
        {"own contact stays", "SELECT name,groupID,perNO FROM ContactList WHERE perNO<2000000", "Mine|7|1"},
        {"phrase groups move past 10, a parent naming an old group moves, root 2 stays",
         "SELECT recID,parentID,content FROM smsSourceGroup ORDER BY recID",
         "10|2|mine;20|2|Bob's greetings;21|20|春节"},
        {"phrases move past 5 and follow their groups",
         "SELECT recID,parentID,content FROM smsSourceContent ORDER BY recID",
         "5|10|my phrase;6|20|It's 'quoted';7|21|新年好"},
        {"sends move past 300 with their numbers and MMS text", "SELECT sendID FROM sendInfo ORDER BY sendID",
         "300;400;401;402;403;405;406"},
        {"numbers follow their sends", "SELECT sendID,numOrMailAddr FROM sendNums ORDER BY sendID,rowid",
         "300|13100000000;400|13800000001;400|13900000009;401|13700000001"},
        {"MMS follows its send", "SELECT sendID FROM attachmentContent", "403"},
        {"received ids after the largest", "SELECT receiveID FROM receivedMSGRecord ORDER BY receiveID",
         "9;10;11;12"},
        {"the provisioned account stays alone", "SELECT SerNum FROM Register", "SN-NEW"},
    });
}

TEST_F(ConverterConversion, FailedStageLeavesTheTargetAsItWas) {
    struct Case {
        const char* drop;
        const char* text;
    };
    const Case cases[] = {
        {"DROP TABLE SMTemplateCont;", "转换短语库失败"},
        {"DROP TABLE GrpConRelation;", "转换联系人失败"},
        {"DROP TABLE tSMSListsChild;", "转换发送记录失败"},
        {"DROP TABLE SMTemplateGrp; DROP TABLE tSMSLists;", "转换短语库失败转换发送记录失败"},
    };
    for (const Case& c : cases) {
        WriteOldDatabase(source(), c.drop);
        const std::string before = DumpDatabase(SystemDatabasePath());
        QString error;
        EXPECT_FALSE(convert(&error)) << c.drop;
        EXPECT_EQ(error.toStdString(), c.text) << c.drop;
        EXPECT_EQ(DumpDatabase(SystemDatabasePath()), before) << c.drop;
    }
}

TEST_F(ConverterConversion, AbortRollsBackEverything) {
    const std::string before = DumpDatabase(SystemDatabasePath());
    OldDatabaseSource from;
    ASSERT_TRUE(from.open(source()));
    std::atomic<bool> abort{false};
    int steps = 0;
    ConverterCallbacks callbacks;
    // The abort arrives in the middle of the contacts.
    callbacks.step = [&] {
        if (++steps == 2)
            abort = true;
    };
    OldDatabaseConverter converter(from.reader(), g_pDB, callbacks, &abort);
    EXPECT_FALSE(converter.Convert());
    EXPECT_TRUE(converter.aborted());
    EXPECT_EQ(DumpDatabase(SystemDatabasePath()), before);
}

TEST_F(ConverterConversion, SourcesThatCannotBeOpened) {
    m_folder->writeFile(QStringLiteral("text.mdb"), "just some text\n");
    const QString odd = m_folder->file(QStringLiteral("odd;name{1}"));
    QDir().mkpath(odd);
    QFile::copy(source(), odd + QStringLiteral("/crm;{x}.mdb"));

    struct Case {
        QString path;
        bool opens;
    };
    const Case cases[] = {
        {m_folder->file(QStringLiteral("missing.mdb")), false},
        {m_folder->file(QStringLiteral("text.mdb")), false},
        {odd + QStringLiteral("/crm;{x}.mdb"), true},
    };
    for (const Case& c : cases) {
        const QByteArray bytes = FileBytes(c.path);
        OldDatabaseSource from;
        std::string count;
        const bool opened =
            from.open(c.path) && from.reader().scalar("SELECT COUNT(*) FROM tSMSLists", count);
        EXPECT_EQ(opened, c.opens) << c.path.toStdString() << " " << from.error().toStdString();
        if (c.opens) {
            EXPECT_EQ(count, "10");
        }
        EXPECT_EQ(FileBytes(c.path), bytes);
    }
}

TEST(ConverterFlags, OldSpellingsOfYesAndNo) {
    struct Case {
        const char* value;
        bool set;
    };
    const Case cases[] = {{"1", true},   {"-1", true},   {"True", true}, {"yes", true}, {"YES", true},
                          {"2", true},   {"1.0", true},  {"0", false},   {"", false},   {"False", false},
                          {"no", false}, {"abc", false}, {"0.0", false}, {" 1 ", true}};
    for (const Case& c : cases)
        EXPECT_EQ(OldFlagIsSet(c.value), c.set) << c.value;
}

TEST_F(ConverterConversion, LongValuesAreReadWholeInPieces) {
    // Larger than one read of the driver, with multi-byte characters across
    // the piece boundaries.
    std::string text;
    while (text.size() < 40000)
        text += "长文本abc'";
    std::string quoted;
    for (char c : text)
        quoted += c == '\'' ? std::string("''") : std::string(1, c);
    WriteOldDatabase(source(), "UPDATE SMTemplateCont SET SMTMPCONT='" + quoted + "' WHERE SMTMPID=2;");
    QString error;
    ASSERT_TRUE(convert(&error)) << error.toStdString();
    EXPECT_EQ(rows("SELECT content FROM smsSourceContent WHERE recID=2"), text);
}
