#include "core/database.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/main/backup_commands.h"
#include "gui/widgets/modal_runner.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

QStringList ContactNames(sqlite3* db) {
    QStringList names;
    SqlStatement st(db, "SELECT name FROM ContactList ORDER BY name COLLATE pinyin");
    while (st.step() == SQLITE_ROW)
        names << st.qtext(0);
    return names;
}

class DbBackup : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        ASSERT_EQ(ExecSql(nullptr, g_pDB,
                          "INSERT INTO ContactList (name, perNO) VALUES ('张三', 1);"
                          "INSERT INTO ContactList (name, perNO) VALUES ('阿明', 2);"),
                  SQLITE_OK);
        m_boxes = std::make_unique<MessageBoxRecorder>();
    }
    void TearDown() override {
        SetNextFileName(std::nullopt);
        m_boxes.reset();
        ProgramFolderTest::TearDown();
    }
    static QStringList Original() { return {QStringLiteral("阿明"), QStringLiteral("张三")}; }

    std::unique_ptr<MessageBoxRecorder> m_boxes;
};

TEST_F(DbBackup, BackupCommandProposesTodayAndReports) {
    SetNextFileName(QString()); // cancelled
    BackupDatabase(nullptr);
    EXPECT_EQ(LastProposedFileName(), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + "_csqx");
    EXPECT_TRUE(m_boxes->shown().empty());

    m_folder->writeFile("mine.bak", "an older backup, replaced without a question");
    struct Case {
        QString chosen;
        int id;
    } cases[] = {
        {m_folder->file("mine"), 354}, // the default extension is added
        {SystemDatabasePath(), 355},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen.toStdString());
        m_boxes->clear();
        SetNextFileName(c.chosen);
        BackupDatabase(nullptr);
        const auto shown = m_boxes->shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, LoadStr(c.id));
        EXPECT_EQ(shown[0].type, mb::IconInformation | mb::Ok);
        EXPECT_EQ(ContactNames(g_pDB), Original()); // the database stayed open
    }
    sqlite3* copy = OpenConnection(m_folder->file("mine.bak"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(ContactNames(copy), Original());
    CloseConnection(copy);
}

TEST_F(DbBackup, RestoreCommandReportsEachOutcome) {
    SetNextFileName(m_folder->file("good.bak"));
    BackupDatabase(nullptr);
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "DELETE FROM ContactList WHERE name='阿明'"), SQLITE_OK);
    m_folder->writeFile("short.bak", "SQLite forma");

    const QString failed = QStringLiteral("恢复数据失败！");
    struct Case {
        const char* what;
        QString chosen;
        std::function<void()> stopWorkers;
        QString text; // empty: no box
        unsigned type;
        bool end;
        int stops;
    } cases[] = {
        {"cancelled", QString(), {}, QString(), 0, false, 0},
        {"short file", m_folder->file("short.bak"), {}, LoadStr(358), mb::IconError, false, 0},
        {"copy lost before the swap", m_folder->file("good.bak"),
         [] { QFile::remove(SystemDatabasePath() + ".tmp"); }, failed, mb::IconError, false, 1},
        {"restored", m_folder->file("good.bak"), {}, LoadStr(360), mb::IconInformation, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_boxes->clear();
        SetNextFileName(c.chosen);
        int stops = 0;
        const bool end = RestoreDatabase(nullptr, [&] {
            ++stops;
            if (c.stopWorkers)
                c.stopWorkers();
        });
        EXPECT_EQ(end, c.end);
        EXPECT_EQ(stops, c.stops);
        const auto shown = m_boxes->shown();
        if (c.text.isEmpty()) {
            EXPECT_TRUE(shown.empty());
        } else {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].text, c.text);
            EXPECT_EQ(shown[0].type, c.type | mb::Ok);
        }
        if (!c.end) {
            ASSERT_NE(g_pDB, nullptr);
            EXPECT_EQ(ContactNames(g_pDB), QStringList{QStringLiteral("张三")});
        }
    }
    EXPECT_EQ(g_pDB, nullptr);
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(ContactNames(g_pDB), Original());
}

} // namespace
