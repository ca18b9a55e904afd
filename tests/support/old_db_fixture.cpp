#include "tests/support/old_db_fixture.h"

#include "core/deployment.h"
#include "platform/ini.h"

#include <QFile>
#include <sqlite3.h>

#include <stdexcept>

namespace {

// The old tables. Groups come out of id order and with "9" and "10" so that a
// text sort would show; two contacts share a number; one record of March
// 2011 has its numbers only in the month's own table.
std::string StandardSql() {
    const std::string longText(700, 'x');
    return R"(
CREATE TABLE SMTemplateGrp (SMTEMPID INTEGER, SMTEMPPARID INTEGER, SMTEMPNAME TEXT);
INSERT INTO SMTemplateGrp VALUES (10, 2, 'Bob''s greetings'), (11, 10, '春节');
CREATE TABLE SMTemplateCont (SMTMPID INTEGER, SMTMPGRPID INTEGER, SMTMPCONT TEXT, CREATETIME TEXT);
INSERT INTO SMTemplateCont VALUES (1, 10, 'It''s ''quoted''', '2011-01-02 10:00:00'),
                                  (2, 11, '新年好', '2011-01-03 11:00:00');
CREATE TABLE TableContactsGroup (GroupID INTEGER, GroupName TEXT, ParentGroupID INTEGER);
INSERT INTO TableContactsGroup VALUES (8, '联系人', 0), (10, 'Child of nine', 9), (12, '短信', 0),
                                      (9, 'O''Brien''s', 8), (11, 'Lost parent', 99);
CREATE TABLE tGridViewSetFields (ColumnName TEXT, DisplayName TEXT, ColPosition INTEGER, Width INTEGER);
INSERT INTO tGridViewSetFields VALUES
  ('txtUserDef1','T1',2,0), ('txtUserDef2','T2',3,0), ('txtUserDef3','T3',4,0), ('txtUserDef4','T4',5,0),
  ('txtUserDef5','T5',6,0), ('txtUserDef6','T6',7,0), ('txtUserDef7','T7',9,0), ('txtUserDef7','over',10,0),
  ('numUserDef1','N1',11,0), ('numUserDef2','N2',12,0), ('numUserDef3','N3',13,0), ('numUserDef3','over',14,0),
  ('boolUserDef1','B1',15,0), ('boolUserDef2','B2',16,0), ('boolUserDef2','over',17,0),
  ('dateUserDef1','D1',18,0), ('dateUserDef2','D2',19,0), ('dateUserDef2','over',20,0),
  ('ContactName','姓名',1,0);
CREATE TABLE TableContacts (ContactID INTEGER, ContactName TEXT, Sex TEXT, ContactMobil1 TEXT, Birthday TEXT,
  SpecialDate TEXT, Email TEXT, HoTel TEXT, HomeAddr TEXT, CoName TEXT, CoDept TEXT, HeadShip TEXT, province TEXT,
  City TEXT, CoAddr TEXT, Trade TEXT, CoTel TEXT, CoFax TEXT, Remark TEXT, txtUserDef1 TEXT, txtUserDef2 TEXT,
  txtUserDef3 TEXT, txtUserDef4 TEXT, txtUserDef5 TEXT, txtUserDef6 TEXT, txtUserDef7 TEXT, numUserDef1 TEXT,
  numUserDef2 TEXT, numUserDef3 TEXT, boolUserDef1 TEXT, boolUserDef2 TEXT, dateUserDef1 TEXT, dateUserDef2 TEXT);
INSERT INTO TableContacts (ContactID, ContactName, Sex, ContactMobil1, Birthday, SpecialDate, Email, Remark,
                           txtUserDef1, numUserDef1, boolUserDef1, boolUserDef2, dateUserDef1, dateUserDef2) VALUES
  (1, 'O''Neil 张', '男', '13800000001', '1980-05-06 00:00:00', '2000-01-02 08:30:00', 'a@b.c', 'r1',
   'tx', '42', '1', '0', '2010-01-01 12:00:00', ''),
  (2, '李四', '女', '13800000001', '', '', '', '', '', '', '-1', 'True', '', ''),
  (3, '', '', '13800000003', '', '', '', '', '', '', '0', 'false', '', ''),
  (4, '王五', '', '13800000003', '', '', '', '', '', '', 'yes', '2', '', ''),
  (5, '无号码', '', '', '', '', '', '', '', '', '', '', '', '');
CREATE TABLE GrpConRelation (ContactID INTEGER, GroupID INTEGER);
INSERT INTO GrpConRelation VALUES (1, 9), (1, 10), (2, 11), (4, 12);
CREATE TABLE Account (RegSerial TEXT, passwd TEXT, sSign TEXT);
INSERT INTO Account VALUES ('SN-OLD-1', 'pw''1', '【签名】');
CREATE TABLE tSMSLists (SMSId INTEGER, Class INTEGER, SMSContent TEXT, Sendtime TEXT, FixedTime TEXT,
  SMSType INTEGER, ISsuccess TEXT, SMSCount INTEGER, Read TEXT, MobilePhone TEXT);
INSERT INTO tSMSLists VALUES
  (100, 0, 'sent sms', '2011-01-05 10:00:00', '', 0, '1', 1, '0', ''),
  (101, 0, 'march', '2011-03-07 09:00:00', '2011-03-08 09:00:00', 1, '0', 2, '0', ''),
  (102, 4, 'voice', '2011-04-01 09:00:00', '', 1, 'True', 1, '0', ''),
  (103, 5, 'MMS )" +
           longText + longText + longText + R"(', '2011-04-02 09:00:00', '', 1, '-1', 1, '0', ''),
  (104, 6, 'class six', '2011-04-03 09:00:00', '', 1, '1', 1, '0', ''),
  (105, 2, 'class two', '2011-04-04 09:00:00', '', 0, '1', 1, '0', ''),
  (106, 3, 'class three', 'not a date', '', 1, '1', 1, '0', ''),
  (200, 0, 'received one', '2011-05-01 09:00:00', '', 2, '0', 1, '1', '13800000001'),
  (201, 0, 'received two', '2011-05-02 09:00:00', '', 2, '0', 1, '-1', '13999999999'),
  (202, 0, 'received three', '2011-05-03 09:00:00', '', 3, '0', 1, 'False', '13800000003');
CREATE TABLE tSMSListsChild (smsId INTEGER, contactName TEXT, phone TEXT);
INSERT INTO tSMSListsChild VALUES (100, 'O''Neil 张', '13800000001'), (100, '', '13900000009'),
                                  (104, 'six', '13000000006'), (200, 'nobody', '13000000200');
CREATE TABLE tSMSListsChild20113 (smsId INTEGER, contactName TEXT, phone TEXT);
INSERT INTO tSMSListsChild20113 VALUES (101, 'March', '13700000001'), (999, 'other', '13700000999');
)";
}

} // namespace

void WriteOldDatabase(const QString& path, const std::string& extraSql) {
    QFile::remove(path);
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot create the stand-in");
    }
    char* error = nullptr;
    const std::string sql = StandardSql() + extraSql;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("stand-in: " + message);
}

std::string DumpDatabase(const QString& path) {
    sqlite3* db = nullptr;
    std::string out;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return "<cannot open>";
    }
    std::vector<std::string> tables;
    sqlite3_exec(
        db, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name",
        [](void* context, int, char** values, char**) {
            static_cast<std::vector<std::string>*>(context)->push_back(values[0] ? values[0] : "");
            return 0;
        },
        &tables, nullptr);
    for (const std::string& table : tables) {
        out += "[" + table + "]\n";
        sqlite3_exec(
            db, ("SELECT * FROM \"" + table + "\"").c_str(),
            [](void* context, int columns, char** values, char**) {
                auto* text = static_cast<std::string*>(context);
                for (int i = 0; i < columns; ++i)
                    *text += (values[i] ? values[i] : "<null>") + std::string("|");
                *text += "\n";
                return 0;
            },
            &out, nullptr);
    }
    sqlite3_close(db);
    return out;
}

void UseStandInDriver() {
    ini::WriteString(ServerIniPath(), QString::fromLatin1(kDeploymentSection),
                     QStringLiteral("OldDatabaseConnect"), QString::fromLatin1(kStandInConnect));
}
