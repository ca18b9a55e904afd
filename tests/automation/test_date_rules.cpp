// Who is due for a date message or a reminder on a given day, and the minute
// guard of the minute timers: late ticks, suspends, clocks set back and the
// two daylight-saving days of Europe/Berlin.
#include "automation/date_messages.h"
#include "automation/date_rules.h"
#include "automation/minute_guard.h"

#include "core/database.h"
#include "core/sql.h"
#include "platform/ini.h"
#include "tests/support/program_folder.h"

#include <QTimeZone>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QDate D(const char* text) {
    return QDate::fromString(Q(text), QStringLiteral("yyyy-MM-dd"));
}

void AddContact(int perNO, const char* name, const char* mobile, const char* birthDay, int group = 1,
                const char* specialDay = "", int deleted = 0) {
    SqlStatement st(g_pDB,
                    "INSERT INTO ContactList (name,mobileNum,birthDay,specialDay,groupID,perNO,isDeleted) "
                    "VALUES (?,?,?,?,?,?,?)");
    st.bind(1, name)
        .bind(2, mobile)
        .bind(3, birthDay)
        .bind(4, specialDay)
        .bind(5, group)
        .bind(6, perNO)
        .bind(7, deleted);
    ASSERT_EQ(st.exec(), SQLITE_OK);
}

void AddHoliday(const char* month, const char* day, const char* name, int type, int recID) {
    SqlStatement st(g_pDB,
                    "INSERT INTO holidaySMS (month,day,name,content,recID,type) VALUES (?,?,?,'',?,?)");
    st.bind(1, month).bind(2, day).bind(3, name).bind(4, recID).bind(5, type);
    ASSERT_EQ(st.exec(), SQLITE_OK);
}

std::vector<QString> Numbers(const std::vector<DateMatch>& matches) {
    std::vector<QString> out;
    for (const DateMatch& m : matches)
        out.push_back(m.number + QLatin1Char('@') + m.date);
    return out;
}

using DateRules = ProgramFolderTest;

} // namespace

TEST(DateRulesPure, LeadDaysAndLeapDays) {
    for (auto [text, days] : std::vector<std::pair<const char*, int>>{
             {"5", 5}, {" 3", 3}, {"1.9", 1}, {"-4", 0}, {"x", 0}, {"", 0}, {"30天", 30}}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(LeadDays(Q(text)), days);
    }
    EXPECT_EQ(DateInYear(2025, 2, 29), D("2025-02-28"));
    EXPECT_EQ(DateInYear(2024, 2, 29), D("2024-02-29"));
    EXPECT_FALSE(DateInYear(2024, 2, 30).isValid());
    EXPECT_EQ(NextOccurrence(1, 4, D("2024-12-30")), D("2025-01-04"));
    EXPECT_EQ(NextOccurrence(2, 29, D("2025-03-01")), D("2026-02-28"));
    EXPECT_FALSE(NextOccurrence(13, 1, D("2025-03-01")).isValid());
    EXPECT_FALSE(NextOccurrence(4, 31, D("2025-03-01")).isValid());
}

TEST_F(DateRules, WhoIsDueOnADateField) {
    // One contact in three groups, a deleted one, one without a number,
    // 29 February births, a "0…" number, values not 5 characters long.
    for (int g : {1, 2, 3})
        AddContact(1, "甲", "13800000001", "1980-01-04", g);
    AddContact(2, "乙", "13800000002", "1990-01-04", 1, "", 1);
    AddContact(3, "丙", "", "1990-01-04");
    AddContact(4, "丁", "13800000004", "2000-02-29");
    AddContact(5, "戊", "01087654321", "1970-12-30", 1, "2001-01-04");
    AddContact(6, "己", "13800000006", "01-04");
    SqlStatement af(g_pDB,
                    "INSERT INTO autoFieldInfo (personID,fieldID,fieldName,fieldValue) VALUES (?,?,?,?)");
    af.bind(1, 5).bind(2, 35).bind(3, "入职").bind(4, "2010-02-29");
    ASSERT_EQ(af.exec(), SQLITE_OK);

    struct Case {
        const char* field;
        int lead;
        const char* today;
        std::vector<QString> due;
    };
    const Case cases[] = {
        {"birthDay", 5, "2024-12-30", {Q("13800000001@2025-01-04")}},
        {"birthDay", 0, "2024-12-30", {Q("01087654321@2024-12-30")}},
        {"specialDay", 5, "2024-12-30", {Q("01087654321@2025-01-04")}},
        {"birthDay", 0, "2025-02-28", {Q("13800000004@2025-02-28")}},
        {"birthDay", 0, "2024-02-28", {}},
        {"birthDay", 0, "2024-02-29", {Q("13800000004@2024-02-29")}},
        {"birthDay", 1, "2025-02-27", {Q("13800000004@2025-02-28")}},
        {"35", 0, "2026-02-28", {Q("01087654321@2026-02-28")}},
        {"34", 0, "2026-02-28", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " +" + std::to_string(c.lead) + " on " + c.today);
        std::vector<DateMatch> out;
        EXPECT_TRUE(MatchDateField(g_pDB, Q(c.field), c.lead, D(c.today), out));
        EXPECT_EQ(Numbers(out), c.due);
    }
}

TEST_F(DateRules, AFieldThatIsNoDateFieldRunsNoStatement) {
    AddContact(1, "甲", "13800000001", "1980-01-04");
    for (const char* field : {"birthDay;DELETE FROM ContactList", "noSuchColumn", "1x", "123", ""}) {
        SCOPED_TRACE(field);
        std::vector<DateMatch> out{{Q("stale"), Q("x")}};
        EXPECT_FALSE(MatchDateField(g_pDB, Q(field), 0, D("2025-01-04"), out));
        EXPECT_TRUE(out.empty());
    }
    SqlStatement count(g_pDB, "SELECT COUNT(*) FROM ContactList");
    ASSERT_EQ(count.step(), SQLITE_ROW);
    EXPECT_EQ(count.int64(0), 1);
    EXPECT_TRUE(runLog().contains(QStringLiteral("noSuchColumn")));
}

TEST_F(DateRules, BirthdayRemindersListEachNumberOnce) {
    for (int g : {1, 2, 3})
        AddContact(1, "甲", "13800000001", "1980-03-10", g);
    AddContact(2, "乙", "01300000002", "1985-03-10");
    AddContact(3, "丙", "13800000003", "1985-03-11");
    std::vector<QString> due = BirthdayReminderNumbers(g_pDB, 2, D("2025-03-08"));
    std::sort(due.begin(), due.end());
    EXPECT_EQ(due, (std::vector<QString>{Q("01300000002"), Q("13800000001")}));
    EXPECT_TRUE(BirthdayReminderNumbers(g_pDB, 2, D("2025-03-10")).empty());
}

TEST_F(DateRules, HolidaysListedFromTheirLeadDaysToTheirDay) {
    AddHoliday("1", "1", "元旦", 0, 1);
    AddHoliday("2", "29", "闰日", 2, 2);
    AddHoliday("2", "30", "坏日", 0, 3);
    AddHoliday("13", "1", "坏月", 0, 4);
    AddHoliday("x", "1", "坏字", 0, 5);
    AddHoliday("1", "1", "农历新年", 1, 6);
    struct Case {
        const char* today;
        int lead;
        std::vector<QString> listed;
    };
    const Case cases[] = {
        {"2024-12-28", 3, {}},
        {"2024-12-29", 3, {Q("元旦@2025-01-01")}},
        {"2024-12-31", 3, {Q("元旦@2025-01-01")}},
        {"2025-01-01", 3, {Q("元旦@2025-01-01")}},
        {"2025-01-02", 3, {}},
        {"2025-02-28", 0, {Q("闰日@2025-02-28")}},
        {"2024-02-28", 0, {}},
        {"2024-02-27", 2, {Q("闰日@2024-02-29")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.today) + " lead " + std::to_string(c.lead));
        std::vector<QString> got;
        for (const HOLIDAYCONTENT& h : DueHolidays(g_pDB, c.lead, D(c.today)))
            got.push_back(h.name + QLatin1Char('@') + h.date);
        EXPECT_EQ(got, c.listed);
    }
    const QString log = runLog();
    for (const char* rec : {"recID=3", "recID=4", "recID=5"})
        EXPECT_TRUE(log.contains(Q(rec))) << rec;
    EXPECT_FALSE(log.contains(QStringLiteral("recID=6")));
}

TEST_F(DateRules, HolidayTipOnlyWhenAutoTipIsExactlyOne) {
    const QString iniPath = m_folder->file(QStringLiteral("account.ini"));
    for (auto [value, on] : std::vector<std::pair<const char*, bool>>{
             {"1", true}, {"0", false}, {"yes", false}, {"01", false}, {"", false}}) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(
            ini::WriteString(iniPath, QStringLiteral("HolidayTip"), QStringLiteral("AutoTip"), Q(value)));
        EXPECT_EQ(HolidayTipSettings::Read(iniPath).on, on);
    }
}

TEST_F(DateRules, LoadedStampsAndTheMinuteTheyAreDue) {
    for (int g : {1, 2, 3})
        AddContact(1, "甲", "13800000001", "1980-04-01", g);
    AddContact(2, "乙", "13800000002", "1980-04-01");
    const QString iniPath = m_folder->file(QStringLiteral("account.ini"));
    ini::WriteStrings(iniPath, QStringLiteral("DateMSG"),
                      {{QStringLiteral("Name1"), QStringLiteral("birthDay")},
                       {QStringLiteral("AutoSend1"), QStringLiteral("1")},
                       {QStringLiteral("PreDays1"), QStringLiteral("1")},
                       {QStringLiteral("SendTime1"), QStringLiteral("09:00:00")},
                       {QStringLiteral("Content1"), Q("生日快乐")},
                       {QStringLiteral("Name2"), QStringLiteral("birthDay")},
                       {QStringLiteral("AutoSend2"), QStringLiteral("0")}});
    std::vector<DATEMSGVALUE> msgs;
    // The eve of the spring change in Berlin: a calendar day later is still 09:00.
    ASSERT_TRUE(LoadDateMsgSettings(g_pDB, iniPath, D("2024-03-31"), msgs));
    ASSERT_EQ(msgs.size(), 4u);
    EXPECT_EQ(msgs[0].numbers, QStringLiteral("13800000001,13800000002"));
    EXPECT_EQ(msgs[0].sendTimes, QStringLiteral("2024-04-01 09:00:00,2024-04-01 09:00:00"));
    EXPECT_TRUE(msgs[1].numberItems.empty());

    EXPECT_TRUE(DueDateSends(msgs, QStringLiteral("2024-03-31 08:59")).empty());
    const std::vector<DateSend> due = DueDateSends(msgs, QStringLiteral("2024-03-31 09:00"));
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].numbers, (std::vector<QString>{Q("13800000001"), Q("13800000002")}));
    EXPECT_EQ(due[0].content, Q("生日快乐"));

    // An unreadable send time never matches; a message naming SQL stays off.
    ini::WriteString(iniPath, QStringLiteral("DateMSG"), QStringLiteral("SendTime1"),
                     QStringLiteral("9 Uhr"));
    ini::WriteString(iniPath, QStringLiteral("DateMSG"), QStringLiteral("Name2"),
                     QStringLiteral("birthDay;DELETE FROM ContactList"));
    ini::WriteString(iniPath, QStringLiteral("DateMSG"), QStringLiteral("AutoSend2"), QStringLiteral("1"));
    ASSERT_TRUE(LoadDateMsgSettings(g_pDB, iniPath, D("2024-03-31"), msgs));
    for (const char* minute : {"2024-03-31 09:00", "2024-03-31 00:00"})
        EXPECT_TRUE(DueDateSends(msgs, Q(minute)).empty());
    ini::WriteString(iniPath, QStringLiteral("DateMSG"), QStringLiteral("AutoSend1"), QStringLiteral("0"));
    EXPECT_FALSE(LoadDateMsgSettings(g_pDB, iniPath, D("2024-03-31"), msgs));
}

// ---- the minute guard ------------------------------------------------------------

namespace {

QDateTime Berlin(const char* text) {
    const QDateTime naive = QDateTime::fromString(Q(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return QDateTime(naive.date(), naive.time(), QTimeZone("Europe/Berlin"));
}

std::vector<QString> Minutes(std::initializer_list<const char*> texts) {
    std::vector<QString> out;
    for (const char* t : texts)
        out.push_back(Q(t));
    return out;
}

} // namespace

TEST(MinuteGuard, EachMinuteOnceAndLateTicksCaughtUp) {
    MinuteGuard g;
    EXPECT_TRUE(g.Tick(Berlin("2025-06-01 09:00:00")).empty()) << "not armed";
    g.Arm(Berlin("2025-06-01 08:58:30"));
    EXPECT_EQ(g.Tick(Berlin("2025-06-01 08:59:58")), Minutes({"2025-06-01 08:58", "2025-06-01 08:59"}));
    EXPECT_EQ(g.Tick(Berlin("2025-06-01 09:00:01")), Minutes({"2025-06-01 09:00"}));
    EXPECT_TRUE(g.Tick(Berlin("2025-06-01 09:00:59")).empty());
    // Three minutes late: all three.
    EXPECT_EQ(g.Tick(Berlin("2025-06-01 09:03:10")),
              Minutes({"2025-06-01 09:01", "2025-06-01 09:02", "2025-06-01 09:03"}));
    // Past midnight.
    g.Arm(Berlin("2025-06-01 23:59:40"));
    EXPECT_EQ(g.Tick(Berlin("2025-06-02 00:00:20")), Minutes({"2025-06-01 23:59", "2025-06-02 00:00"}));
}

TEST(MinuteGuard, ASuspendHandlesOnlyTheCurrentMinuteAndLogs) {
    MinuteGuard g;
    g.Arm(Berlin("2025-06-01 09:00:10"));
    EXPECT_EQ(g.Tick(Berlin("2025-06-01 09:00:50")), Minutes({"2025-06-01 09:00"}));
    EXPECT_EQ(g.Tick(Berlin("2025-06-01 09:11:05")), Minutes({"2025-06-01 09:11"}));
    EXPECT_EQ(g.Tick(Berlin("2025-06-01 09:41:05")), Minutes({"2025-06-01 09:41"}));
    EXPECT_EQ(g.lastHandled(), Q("2025-06-01 09:41"));
}

TEST(MinuteGuard, ClockSetBackAndTheRepeatedHourHandleNothingTwice) {
    MinuteGuard g;
    g.Arm(Berlin("2025-06-01 10:00:10"));
    EXPECT_EQ(g.Tick(Berlin("2025-06-01 10:00:50")), Minutes({"2025-06-01 10:00"}));
    EXPECT_TRUE(g.Tick(Berlin("2025-06-01 09:30:00")).empty());
    EXPECT_TRUE(g.Tick(Berlin("2025-06-01 10:00:30")).empty());
    EXPECT_EQ(g.Tick(Berlin("2025-06-01 10:01:00")), Minutes({"2025-06-01 10:01"}));

    // 2024-10-27: 02:00-02:59 comes twice (CEST, then CET).
    const QTimeZone berlin("Europe/Berlin");
    const QDateTime cest0259 = QDateTime(QDate(2024, 10, 27), QTime(0, 59, 20), Qt::UTC).toTimeZone(berlin);
    ASSERT_EQ(cest0259.toString(QStringLiteral("HH:mm")), Q("02:59"));
    g.Arm(cest0259.addSecs(-60));
    EXPECT_EQ(g.Tick(cest0259), Minutes({"2024-10-27 02:58", "2024-10-27 02:59"}));
    std::vector<QString> handled;
    for (int m = 1; m <= 61; ++m) // 01:00 UTC (02:00 CET) to 02:00 UTC (03:00 CET)
        for (const QString& h : g.Tick(cest0259.addSecs(60 * m)))
            handled.push_back(h);
    EXPECT_EQ(handled, Minutes({"2024-10-27 03:00"}));
}

TEST(MinuteGuard, TheSkippedHourIsCaughtUpAtThree) {
    MinuteGuard g;
    g.Arm(Berlin("2024-03-31 01:59:10"));
    EXPECT_EQ(g.Tick(Berlin("2024-03-31 01:59:50")), Minutes({"2024-03-31 01:59"}));
    // One real minute later the clock reads 03:00.
    const QDateTime three = Berlin("2024-03-31 01:59:50").addSecs(60);
    ASSERT_EQ(three.toString(QStringLiteral("HH:mm")), Q("03:00"));
    const std::vector<QString> handled = g.Tick(three);
    ASSERT_EQ(handled.size(), 61u);
    EXPECT_EQ(handled.front(), Q("2024-03-31 02:00"));
    EXPECT_EQ(handled[30], Q("2024-03-31 02:30"));
    EXPECT_EQ(handled.back(), Q("2024-03-31 03:00"));
}
