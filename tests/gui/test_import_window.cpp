// The contact import's windows driven as a user would: choosing the source
// (browsed, dropped, a database), the column mapping, the group step, the
// keys of the wizard and the import on its worker.
#include "contacts/contact_import.h"
#include "contacts/spreadsheet.h"
#include "contacts/xlsx_writer.h"
#include "core/database.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/contacts/import2_dialog.h"
#include "gui/contacts/import3_dialog.h"
#include "gui/contacts/import_field_panel.h"
#include "gui/contacts/import_wnd_dialog.h"
#include "gui/contacts/odbc_source_dialog.h"
#include "gui/main/app_control.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/tree_helpers.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/old_db_fixture.h"
#include "tests/support/test_helpers.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <functional>
#include <memory>

using namespace std::chrono_literals;

namespace {

const QString kConnectionError = QStringLiteral("连接数据库异常!\r\n错误信息:");

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// The focus arriving at a list, as a click or a Tab would bring it.
void Focus(QWidget* w) {
    QFocusEvent event(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(w, &event);
}

// A user picking `text` in the list.
void Choose(QComboBox* list, const QString& text) {
    Focus(list);
    const int index = list->findText(text);
    ASSERT_GE(index, 0) << text.toStdString() << " not offered";
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// The window's worker has finished what it was doing.
bool Settled(CDlgImportWND& window) {
    return WaitUntil([&] { return !window.busy(); }, std::chrono::milliseconds(TimeBoundMs(10000)));
}

class ImportWindowTest : public ContactsFixtureTest {
protected:
    void SetUp() override {
        ContactsFixtureTest::SetUp();
        m_previousRunner = SetModalRunner([this](QDialog& dialog) {
            m_modals << QString::fromLatin1(dialog.metaObject()->className());
            return m_onModal ? m_onModal(dialog) : int(QDialog::Rejected);
        });
    }
    void TearDown() override {
        SetModalRunner(m_previousRunner);
        SetNextFileName(std::nullopt);
        ClearQuitRequest();
        SetUiLanguage(kLangChinese);
        ContactsFixtureTest::TearDown();
    }

    QString write(const QString& relative, const QByteArray& bytes) {
        m_folder->writeFile(relative, bytes);
        return m_folder->file(relative);
    }
    // The types of the boxes shown so far, icon and buttons.
    std::vector<unsigned> boxTypes() const {
        std::vector<unsigned> types;
        for (const MessageBoxRequest& r : m_boxes.shown())
            types.push_back(r.type);
        return types;
    }
    int contactCount() { return int(QueryScalar(g_pDB, "SELECT COUNT(*) FROM ContactList")); }

    MessageBoxRecorder m_boxes;
    QStringList m_modals;
    std::function<int(QDialog&)> m_onModal;
    ModalRunner m_previousRunner;
};

TEST_F(ImportWindowTest, TheWindowsSpeakEnglish) {
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    const QStringList columns{"name", "mobile"};
    const struct {
        const char* name;
        std::function<std::unique_ptr<QDialog>()> make;
    } dialogs[] = {
        {"import window", [] { return std::make_unique<CDlgImportWND>(); }},
        {"ODBC source", [] { return std::make_unique<CDlgOdbcSource>(); }},
        {"group step", [] { return std::make_unique<CDlgImport3>(); }},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.name);
        const std::unique_ptr<QDialog> dialog = d.make();
        for (const QString& shown : ShownTexts(*dialog))
            EXPECT_FALSE(HasChinese(shown)) << shown.toStdString();
    }
    // The mapping step's own controls; the field names come from the database.
    CDlgImport2 mapping(&columns, kImportCsv);
    EXPECT_EQ(mapping.windowTitle(), "Import contacts");
    for (const char* id : {"1125", "1092", "1004", "1003"}) {
        QWidget* w = Child<QWidget>(mapping, id);
        const QString text =
            qobject_cast<QLabel*>(w) ? static_cast<QLabel*>(w)->text() : static_cast<QPushButton*>(w)->text();
        EXPECT_FALSE(text.isEmpty() || HasChinese(text)) << id << " " << text.toStdString();
    }
    EXPECT_EQ(Child<QLabel>(mapping, "104")->text(), "*Mobile or PHS:");
}

// ---- the column-mapping panel ---------------------------------------------------------

using ColumnMapping = ImportWindowTest;

TEST_F(ColumnMapping, OneRowPerFieldInUseAndVisibleTheMobileNumberMarked) {
    const QStringList columns{"姓名", "手机"};
    {
        CDlgImportField panel(&columns);
        // The fixture switches 21 and 31 on and 22 off; 23..34 are off.
        std::vector<int> listed;
        for (int id = 1; id <= 34; ++id)
            if (panel.findChild<QComboBox*>(QString::number(id)))
                listed.push_back(id);
        std::vector<int> expected;
        for (int id = 1; id <= 21; ++id)
            expected.push_back(id);
        expected.push_back(31);
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(panel.RowCount(), int(expected.size()));

        EXPECT_EQ(Child<QLabel>(panel, "102")->text(), "姓名:");
        EXPECT_EQ(Child<QLabel>(panel, "122")->text(), "爱好:");
        const QLabel* mobile = Child<QLabel>(panel, "104");
        EXPECT_EQ(mobile->text(), "*手机或小灵通:");
        EXPECT_TRUE(mobile->styleSheet().contains("255, 0, 0")) << mobile->styleSheet().toStdString();
        EXPECT_FALSE(Child<QLabel>(panel, "102")->styleSheet().contains("255, 0, 0"));
        // Rows go down in field order, each label beside its list.
        EXPECT_LT(Child<QLabel>(panel, "104")->y(), Child<QLabel>(panel, "122")->y());
        EXPECT_LT(Child<QLabel>(panel, "122")->y(), Child<QLabel>(panel, "132")->y());
        EXPECT_EQ(Child<QLabel>(panel, "104")->buddy(), Child<QComboBox>(panel, "3"));
        EXPECT_EQ(panel.m_nBirthdayField, 4);
        EXPECT_EQ(panel.m_nSpecialDateField, 5);
    }
    // A hidden field has no row; with nothing in use the panel is empty.
    ExecSql(nullptr, g_pDB, "UPDATE fieldDisplay SET isVisible=0 WHERE fieldID=4");
    {
        CDlgImportField panel(&columns);
        EXPECT_EQ(panel.findChild<QComboBox*>("4"), nullptr);
        EXPECT_EQ(panel.m_nBirthdayField, 0);
    }
    ExecSql(nullptr, g_pDB, "UPDATE fieldDisplay SET inUse=0");
    CDlgImportField empty(&columns);
    EXPECT_EQ(empty.RowCount(), 0);
    EXPECT_TRUE(empty.findChildren<QComboBox*>().isEmpty());
    EXPECT_TRUE(empty.findChildren<QLabel*>().isEmpty());
}

TEST_F(ColumnMapping, AColumnBelongsToOneFieldAtATime) {
    // A repeated and an unnamed column, as a careless header has them.
    const QStringList columns{"姓名", "手机", "备注", "手机", ""};
    CDlgImportField panel(&columns);
    QComboBox* name = Child<QComboBox>(panel, "1");
    QComboBox* mobile = Child<QComboBox>(panel, "3");

    Focus(mobile);
    EXPECT_EQ(Items(mobile), (QStringList{"姓名", "手机", "备注"}));
    EXPECT_EQ(mobile->currentIndex(), -1) << "opening a list chooses nothing";
    EXPECT_TRUE(panel.m_mapColumns.empty());

    Choose(mobile, "手机");
    EXPECT_EQ(panel.m_mapColumns, (ColumnMap{{3, "手机"}}));
    Focus(name);
    EXPECT_EQ(Items(name), (QStringList{"姓名", "备注"}));

    // Coming back keeps the choice, listed first.
    Focus(mobile);
    EXPECT_EQ(Items(mobile), (QStringList{"手机", "姓名", "备注"}));
    EXPECT_EQ(mobile->currentText(), "手机");
    EXPECT_EQ(panel.m_mapColumns, (ColumnMap{{3, "手机"}}));

    // Another choice frees the first column.
    Choose(mobile, "备注");
    Choose(name, "手机");
    EXPECT_EQ(panel.m_mapColumns, (ColumnMap{{1, "手机"}, {3, "备注"}}));
    Focus(Child<QComboBox>(panel, "20"));
    EXPECT_EQ(Items(Child<QComboBox>(panel, "20")), QStringList{"姓名"});
}

// ---- choosing the source --------------------------------------------------------------

TEST_F(ImportWindowTest, AFileIsKnownByItsOwnNameBrowsedOrDropped) {
    const struct {
        const char* file;
        const char* ext;
        int spreadsheet;
        int csv;
    } cases[] = {
        {"old.data/a.b.xls", "XLS", 1, 0},  {"v1.2/A.XLSX", "XLSX", 1, 0},
        {"old.data/list.Csv", "CSV", 0, 1}, {"v1.2/page.htm", "HTM", 0, 0},
        {"a.b/numbers.txt", "TXT", 0, 0},
    };
    for (const bool dropped : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.file) + (dropped ? " dropped" : " browsed"));
            // No workbook inside, whatever the name says.
            const QString path = write(QString::fromLatin1(c.file), "no workbook here\r\n");
            m_boxes.clear();
            CDlgImportWND window;
            if (dropped) {
                window.OnDropFiles({path});
            } else {
                SetNextFileName(path);
                Click(window, "21004");
            }
            // A workbook opens on the worker.
            EXPECT_EQ(window.busy(), c.spreadsheet == 1);
            ASSERT_TRUE(Settled(window));
            EXPECT_EQ(window.m_strPath, path);
            EXPECT_EQ(Child<QLineEdit>(window, "31016")->text(), path);
            EXPECT_EQ(window.m_strExt, c.ext);
            EXPECT_EQ(window.m_bSpreadsheet, c.spreadsheet);
            EXPECT_EQ(window.m_bCsv, c.csv);
            EXPECT_EQ(Child<QComboBox>(window, "21041")->isHidden(), c.spreadsheet == 0);
            EXPECT_EQ(Child<QLabel>(window, "1091")->isHidden(), c.spreadsheet == 0);
            if (c.spreadsheet) {
                EXPECT_EQ(m_boxes.texts(), QStringList{"无法读取该表格文件,无法导入!"});
                EXPECT_EQ(Child<QComboBox>(window, "21041")->count(), 0);
            } else {
                EXPECT_TRUE(m_boxes.texts().isEmpty()) << m_boxes.texts().join('|').toStdString();
            }
        }
    }
    EXPECT_TRUE(runLog().contains("ERROR,读取表格文件失败"));
}

TEST_F(ImportWindowTest, DropsTakeOneFileOfAKnownKind) {
    const QString chosen = write("in/first.csv", "姓名,手机\r\n");
    CDlgImportWND window;
    SetNextFileName(chosen);
    Click(window, "21004");
    ASSERT_EQ(window.m_strPath, chosen);

    // Two files, dropped on the window: the earlier choice stays.
    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(write("in/a.csv", "x")), QUrl::fromLocalFile(write("in/b.csv", "y"))});
    window.show();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &two, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &two, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(208)});
    EXPECT_EQ(boxTypes(), std::vector<unsigned>{mb::Ok | mb::IconError});
    EXPECT_EQ(window.m_strPath, chosen);
    EXPECT_EQ(Child<QLineEdit>(window, "31016")->text(), chosen);

    // A kind the import does not read clears the choice.
    for (const char* other : {"in/notes.doc", "in/folder.csv/readme"}) {
        SCOPED_TRACE(other);
        m_boxes.clear();
        window.OnDropFiles({write(QString::fromLatin1(other), "x")});
        EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(209)});
        EXPECT_EQ(boxTypes(), std::vector<unsigned>{mb::Ok | mb::IconError});
        EXPECT_TRUE(window.m_strPath.isEmpty());
        EXPECT_TRUE(window.m_strExt.isEmpty());
        EXPECT_TRUE(Child<QLineEdit>(window, "31016")->text().isEmpty());
    }
    m_boxes.clear();
    Click(window, "1003");
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(204)});
    EXPECT_TRUE(m_modals.isEmpty());
}

TEST_F(ImportWindowTest, NextNamesWhatIsMissing) {
    const QString workbook = write("book.xls", "no workbook here");
    const struct {
        const char* name;
        std::function<void(CDlgImportWND&)> choose;
        int string;
    } cases[] = {
        {"nothing chosen", [](CDlgImportWND&) {}, 204},
        {"a spreadsheet without a sheet",
         [&](CDlgImportWND& w) {
             w.OnDropFiles({workbook});
             EXPECT_TRUE(Settled(w));
             m_boxes.clear();
         },
         206},
        {"the database without a table", [](CDlgImportWND& w) { Click(w, "1089"); }, 205},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes.clear();
        m_modals.clear();
        CDlgImportWND window;
        c.choose(window);
        Click(window, "1003");
        EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(c.string)});
        EXPECT_EQ(boxTypes(), std::vector<unsigned>{mb::Ok | mb::IconWarning});
        // No step ran (the database case asked for its source only).
        EXPECT_FALSE(m_modals.contains("CDlgImport2"));
        EXPECT_FALSE(m_modals.contains("CDlgImport3"));
        EXPECT_EQ(window.result(), kStayedOpen);
    }
}

// A SQLite file with two tables, read through the SQLite ODBC driver.
QString WriteSourceDatabase(const QString& path) {
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "CREATE TABLE people(\"名字\" TEXT, mobile TEXT);"
                           "CREATE TABLE \"order\"(id INTEGER);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    return path;
}

TEST_F(ImportWindowTest, ChoosingTheDatabaseAgainListsItsTablesOnce) {
    const QString source = WriteSourceDatabase(m_folder->file("source.db"));
    QString typed = QString::fromLatin1(kStandInConnect).arg(source);
    m_onModal = [&](QDialog& dialog) {
        auto* odbc = qobject_cast<CDlgOdbcSource*>(&dialog);
        if (!odbc)
            return int(QDialog::Rejected);
        Child<QRadioButton>(*odbc, "stringMode")->setChecked(true);
        Child<QLineEdit>(*odbc, "connectString")->setText(typed);
        Click(*odbc, "ok");
        return odbc->result();
    };
    CDlgImportWND window;
    QComboBox* tables = Child<QComboBox>(window, "21040");
    for (int round = 0; round < 2; ++round) {
        Click(window, "1089");
        QStringList listed = Items(tables);
        listed.sort();
        EXPECT_EQ(listed, (QStringList{"order", "people"})) << "round " << round;
        EXPECT_EQ(tables->currentIndex(), -1);
    }
    EXPECT_TRUE(Child<QLineEdit>(window, "31016")->isHidden());
    EXPECT_TRUE(Child<QPushButton>(window, "21004")->isHidden());
    EXPECT_FALSE(tables->isHidden());
    EXPECT_TRUE(m_boxes.texts().isEmpty()) << m_boxes.texts().join('|').toStdString();

    // A source that cannot be reached leaves the list as it was.
    typed = QStringLiteral("DRIVER={No Such Driver};Database=") + source;
    Click(window, "1089");
    ASSERT_EQ(m_boxes.texts().size(), 1);
    EXPECT_TRUE(m_boxes.texts()[0].startsWith(kConnectionError)) << m_boxes.texts()[0].toStdString();
    EXPECT_EQ(boxTypes(), std::vector<unsigned>{mb::Ok});
    EXPECT_EQ(tables->count(), 2);

    // A cancelled source dialog changes nothing and says nothing.
    m_boxes.clear();
    m_onModal = {};
    Click(window, "1089");
    EXPECT_EQ(tables->count(), 2);
    EXPECT_TRUE(m_boxes.texts().isEmpty());

    // Back to the file: the path box returns, the tables go.
    Click(window, "1088");
    EXPECT_FALSE(Child<QLineEdit>(window, "31016")->isHidden());
    EXPECT_TRUE(tables->isHidden());
    // Connection strings may hold passwords: they never reach the log.
    EXPECT_FALSE(runLog().contains(source));
}

TEST_F(ImportWindowTest, TheOdbcSourceDialogBuildsTheConnectionString) {
    const struct {
        const char* name;
        const char* mode;
        QString typed;
        bool accepted;
        QString connect;
    } cases[] = {
        {"typed", "stringMode", "  DSN=contacts;UID=a  ", true, "DSN=contacts;UID=a"},
        {"typed, empty", "stringMode", "   ", false, ""},
        {"a data source, none chosen", "dsnMode", "", false, ""},
        {"a driver without a file", "driverMode", "", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes.clear();
        CDlgOdbcSource dialog;
        Child<QRadioButton>(dialog, c.mode)->setChecked(true);
        Child<QLineEdit>(dialog, "connectString")->setText(c.typed);
        Click(dialog, "ok");
        EXPECT_EQ(dialog.result(), c.accepted ? int(QDialog::Accepted) : kStayedOpen);
        EXPECT_EQ(dialog.ConnectString(), c.connect);
        EXPECT_EQ(m_boxes.texts(), c.accepted ? QStringList() : QStringList{"连接数据库失败!"});
    }
}

// A data source named in the user's odbc.ini and the SQLite driver with a
// file are offered; the window lists the tables of either.
TEST_F(ImportWindowTest, DataSourcesAndDriversAreOffered) {
    const QString source = WriteSourceDatabase(m_folder->file("source.db"));
    const QByteArray savedIni = qgetenv("ODBCINI");
    write("odbc.ini", "[Corvelane Test]\nDriver=SQLite3\nDatabase=" + source.toUtf8() + "\n");
    qputenv("ODBCINI", QFile::encodeName(m_folder->file("odbc.ini")));
    const struct {
        const char* name;
        std::function<void(CDlgOdbcSource&)> choose;
        bool listed;
    } cases[] = {
        {"the data source",
         [](CDlgOdbcSource& d) {
             Child<QRadioButton>(d, "dsnMode")->setChecked(true);
             auto* sources = Child<QComboBox>(d, "dataSource");
             sources->setCurrentIndex(sources->findData(QStringLiteral("Corvelane Test")));
         },
         true},
        {"the driver with the file",
         [&](CDlgOdbcSource& d) {
             Child<QRadioButton>(d, "driverMode")->setChecked(true);
             auto* drivers = Child<QComboBox>(d, "driver");
             drivers->setCurrentIndex(drivers->findData(QStringLiteral("SQLite3")));
             SetNextFileName(source);
             Click(d, "browse");
         },
         true},
        {"a file the string cannot hold",
         [&](CDlgOdbcSource& d) {
             Child<QRadioButton>(d, "driverMode")->setChecked(true);
             auto* drivers = Child<QComboBox>(d, "driver");
             drivers->setCurrentIndex(drivers->findData(QStringLiteral("SQLite3")));
             Child<QLineEdit>(d, "databaseFile")->setText(m_folder->file("a;b.db"));
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes.clear();
        m_onModal = [&](QDialog& dialog) {
            auto* odbc = qobject_cast<CDlgOdbcSource*>(&dialog);
            if (!odbc)
                return int(QDialog::Rejected);
            c.choose(*odbc);
            Click(*odbc, "ok");
            // A refused choice leaves the dialog open; the user cancels.
            return odbc->result() == QDialog::Accepted ? odbc->result() : int(QDialog::Rejected);
        };
        CDlgImportWND window;
        Click(window, "1089");
        QStringList listed = Items(Child<QComboBox>(window, "21040"));
        listed.sort();
        EXPECT_EQ(listed, c.listed ? (QStringList{"order", "people"}) : QStringList());
        EXPECT_EQ(m_boxes.texts(), c.listed ? QStringList() : QStringList{"连接数据库失败!"});
    }
    qputenv("ODBCINI", savedIni);
}

// ---- the next step --------------------------------------------------------------------

TEST_F(ImportWindowTest, TheNextStepTakesTheWindowsPlaceUntilItEnds) {
    const QString page = write("page.html", "<p>13800000099</p>");
    const struct {
        int stepResult;
        bool windowEnds;
    } cases[] = {{1001, false}, {int(QDialog::Rejected), false}, {1002, true}, {1003, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stepResult);
        CDlgImportWND window;
        window.m_nGroupId = 4;
        window.OnDropFiles({page});
        window.show();
        bool hiddenMeanwhile = false;
        m_onModal = [&](QDialog& dialog) {
            hiddenMeanwhile = !window.isVisible();
            auto* step = qobject_cast<CDlgImport3*>(&dialog);
            EXPECT_NE(step, nullptr) << "text and web pages go to the group step";
            if (step) {
                EXPECT_EQ(step->m_nImportMode, kImportNumbers);
                EXPECT_EQ(step->m_strPath, page);
                EXPECT_EQ(step->m_nDefaultGroupId, 4);
            }
            return c.stepResult;
        };
        Click(window, "1003");
        EXPECT_TRUE(hiddenMeanwhile);
        EXPECT_EQ(window.isVisible(), !c.windowEnds);
        EXPECT_EQ(window.result(), c.windowEnds ? c.stepResult : kStayedOpen);
        EXPECT_TRUE(m_boxes.texts().isEmpty());
    }
}

// Under real modal loops: hiding the window while its step runs must not end
// the window's own loop, and a step that ends the wizard ends it unseen.
TEST_F(ImportWindowTest, ModalLoopsSurviveTheHiddenStep) {
    SetModalRunner({});
    const QString page = write("page.txt", "13800000099");
    const struct {
        const char* name;
        std::function<void(QDialog&)> endStep;
        int windowResult;
    } cases[] = {
        {"back", [](QDialog& step) { Click(step, "1004"); }, 77},
        {"done", [](QDialog& step) { step.done(1003); }, 1003},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CDlgImportWND window;
        window.OnDropFiles({page});
        bool shownAgain = false;
        bool stuck = false;
        QTimer::singleShot(50, &window, [&] {
            QTimer::singleShot(100, [&] {
                if (QDialog* step = CurrentModalDialog())
                    c.endStep(*step);
            });
            Click(window, "1003");
            // Only reached once the step's loop has returned.
            QTimer::singleShot(100, &window, [&] {
                shownAgain = window.isVisible();
                if (window.isVisible())
                    window.done(77);
            });
        });
        QTimer::singleShot(TimeBoundMs(5000), &window, [&] {
            stuck = true;
            window.QWidget::setVisible(true);
            window.done(-1);
        });
        const int result = RunModal(window);
        EXPECT_FALSE(stuck);
        EXPECT_EQ(result, c.windowResult);
        EXPECT_EQ(shownAgain, c.windowResult == 77);
    }
}

// ---- the mapping step -----------------------------------------------------------------

using ImportWindowMapping = ImportWindowTest;

TEST_F(ImportWindowMapping, TheMobileNumberMustHaveAColumnAndTheChoicesTravelOn) {
    const QStringList columns{"姓名", "手机", "", "分组"};
    CDlgImport2 step(&columns, kImportCsv);
    step.m_nGroupId = 4;
    step.m_strPath = QStringLiteral("/tmp/in.csv");
    step.m_bFormatDates = true;
    QComboBox* groupColumn = Child<QComboBox>(step, "21040");
    EXPECT_EQ(Items(groupColumn), (QStringList{"姓名", "手机", "分组"}));
    EXPECT_EQ(groupColumn->currentIndex(), -1);
    EXPECT_EQ(Child<QLabel>(step, "1125")->text(), "联系人分组：");

    Choose(Child<QComboBox>(step, "1"), "姓名");
    Click(step, "1003");
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(189)});
    EXPECT_EQ(boxTypes(), std::vector<unsigned>{mb::Ok | mb::IconWarning});
    EXPECT_TRUE(m_modals.isEmpty());

    Choose(Child<QComboBox>(step, "3"), "手机");
    groupColumn->setCurrentIndex(groupColumn->findText("分组"));
    int answer = 1001;
    m_onModal = [&](QDialog& dialog) {
        auto* groups = qobject_cast<CDlgImport3*>(&dialog);
        EXPECT_NE(groups, nullptr);
        if (groups) {
            EXPECT_EQ(*groups->m_pFieldMap, (ColumnMap{{1, "姓名"}, {3, "手机"}}));
            EXPECT_EQ(groups->m_strGroupColumn, "分组");
            EXPECT_EQ(groups->m_nDefaultGroupId, 4);
            EXPECT_EQ(groups->m_strPath, "/tmp/in.csv");
            EXPECT_EQ(groups->m_nImportMode, kImportCsv);
            EXPECT_EQ(*groups->m_pColumns, columns);
            EXPECT_TRUE(groups->m_bFormatDates);
        }
        return answer;
    };
    Click(step, "1003");
    EXPECT_EQ(step.result(), kStayedOpen) << "back from the group step";
    answer = 1003;
    Click(step, "1003");
    EXPECT_EQ(step.result(), 1003);
    EXPECT_EQ(m_modals, (QStringList{"CDlgImport3", "CDlgImport3"}));
}

TEST_F(ImportWindowMapping, ADatabaseHasNoGroupColumn) {
    const QStringList columns{"名字", "mobile"};
    CDlgImport2 step(&columns, kImportDatabase);
    step.m_strConnect = QStringLiteral("DSN=x");
    step.m_strTable = QStringLiteral("people");
    for (const char* id : {"1125", "1092", "21040"})
        EXPECT_TRUE(Child<QWidget>(step, id)->isHidden()) << id;
    Choose(Child<QComboBox>(step, "3"), "mobile");
    m_onModal = [&](QDialog& dialog) {
        auto* groups = qobject_cast<CDlgImport3*>(&dialog);
        EXPECT_NE(groups, nullptr);
        if (groups) {
            EXPECT_TRUE(groups->m_strGroupColumn.isEmpty());
            EXPECT_EQ(groups->m_strConnect, "DSN=x");
            EXPECT_EQ(groups->m_strTable, "people");
            EXPECT_EQ(groups->m_nImportMode, kImportDatabase);
        }
        return 1002;
    };
    Click(step, "1003");
    EXPECT_EQ(step.result(), 1002);
}

// Enter never moves the wizard; Esc asks before it ends a step, a "quit" of
// the program does not ask.
TEST_F(ImportWindowMapping, KeysOfTheSteps) {
    const QStringList columns{"手机"};
    const struct {
        const char* name;
        int key;
        bool quit;
        int answer; // to "确定退出?"; 0 when no question may come
        int result;
    } cases[] = {
        {"Enter", Qt::Key_Return, false, 0, kStayedOpen},
        {"keypad Enter", Qt::Key_Enter, false, 0, kStayedOpen},
        {"Esc, no", Qt::Key_Escape, false, IDNO, kStayedOpen},
        {"Esc, yes", Qt::Key_Escape, false, IDYES, 1002},
        {"Esc on quit", Qt::Key_Escape, true, 0, 1002},
    };
    const struct {
        const char* name;
        std::function<std::unique_ptr<QDialog>()> make;
    } steps[] = {
        {"mapping", [&] { return std::make_unique<CDlgImport2>(&columns, kImportCsv); }},
        {"groups", [] { return std::make_unique<CDlgImport3>(); }},
    };
    for (const auto& s : steps) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(s.name) + ": " + c.name);
            m_boxes.clear();
            if (c.quit)
                RequestQuit();
            else
                ClearQuitRequest();
            std::unique_ptr<QDialog> dialog = s.make();
            if (c.answer)
                m_boxes.queueAnswer(c.answer);
            SendKey(dialog.get(), c.key);
            EXPECT_EQ(dialog->result(), c.result);
            ASSERT_EQ(m_boxes.shown().size(), c.answer ? 1u : 0u);
            if (c.answer) {
                EXPECT_EQ(m_boxes.shown()[0].text, "确定退出?");
                EXPECT_EQ(m_boxes.shown()[0].title, "退出确认");
                EXPECT_EQ(m_boxes.shown()[0].type, mb::YesNo | mb::IconQuestion);
            }
            EXPECT_TRUE(m_modals.isEmpty());
        }
    }
}

// ---- the group step -------------------------------------------------------------------

using ImportWindowGroups = ImportWindowTest;

TEST_F(ImportWindowGroups, TheDefaultGroupIsTickedAndAGroupColumnLocksTheTree) {
    for (const QString& groupColumn : {QString(), QStringLiteral("分组")}) {
        SCOPED_TRACE(groupColumn.toStdString());
        CDlgImport3 step;
        step.m_nDefaultGroupId = 2;
        step.m_strGroupColumn = groupColumn;
        auto* tree = Child<QTreeWidget>(step, "1000");
        QTreeWidgetItem* b = FindTreeItemByData(tree, nullptr, 2);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->checkState(0), Qt::Unchecked);
        EXPECT_TRUE(WaitUntil([&] { return b->checkState(0) == Qt::Checked; }));
        QList<qint64> ticked;
        GetCheckedTreeItems(tree, nullptr, ticked);
        EXPECT_EQ(ticked, QList<qint64>{2});
        EXPECT_EQ(tree->isEnabled(), groupColumn.isEmpty());
        EXPECT_TRUE(Child<QProgressBar>(step, "1094")->isHidden());
    }
}

TEST_F(ImportWindowGroups, NoTickedGroupSays203) {
    CDlgImport3 step;
    step.m_nDefaultGroupId = 99; // no such group: nothing gets ticked
    step.OnTimer();
    Click(step, "1003");
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(203)});
    EXPECT_EQ(boxTypes(), std::vector<unsigned>{mb::Ok | mb::IconWarning});
    EXPECT_FALSE(step.importing());
    EXPECT_FALSE(Child<QPushButton>(step, "1003")->isHidden());
    EXPECT_EQ(step.result(), kStayedOpen);
}

TEST_F(ImportWindowGroups, AFailedImportGivesTheButtonsBack) {
    const ColumnMap map{{3, "手机"}};
    const QStringList columns{"手机"};
    CDlgImport3 step;
    step.m_nDefaultGroupId = 4;
    step.m_pFieldMap = &map;
    step.m_pColumns = &columns;
    step.m_strPath = m_folder->file("gone.csv"); // never written
    step.OnTimer();
    const int before = contactCount();
    Click(step, "1003");
    EXPECT_TRUE(Child<QPushButton>(step, "1003")->isHidden());
    EXPECT_TRUE(Child<QPushButton>(step, "1004")->isHidden());
    EXPECT_FALSE(Child<QProgressBar>(step, "1094")->isHidden());
    ASSERT_TRUE(WaitUntil([&] { return !step.importing(); }, std::chrono::milliseconds(TimeBoundMs(10000))));
    EXPECT_FALSE(Child<QPushButton>(step, "1003")->isHidden());
    EXPECT_FALSE(Child<QPushButton>(step, "1004")->isHidden());
    EXPECT_TRUE(Child<QProgressBar>(step, "1094")->isHidden());
    EXPECT_EQ(step.result(), kStayedOpen);
    EXPECT_EQ(boxTypes(), std::vector<unsigned>{mb::Ok | mb::IconWarning});
    EXPECT_EQ(contactCount(), before);
}

// ---- with the spreadsheet reader, the CSV header and the engine -----------------------

// A workbook of text cells with the given sheets, each holding `rows`.
QString WriteWorkbook(const QString& path, const QStringList& sheets, const QList<QStringList>& rows) {
    XlsxWriter writer(path);
    for (const QString& sheet : sheets) {
        EXPECT_TRUE(writer.AddSheet(sheet));
        for (const QStringList& row : rows)
            EXPECT_TRUE(writer.AddRow(row));
    }
    EXPECT_TRUE(writer.Close()) << writer.ErrorText().toStdString();
    return path;
}

TEST_F(ImportWindowTest, SheetsOfAWorkbookAndTheirConversion) {
    const QList<QStringList> rows{{"姓名", "手机"}, {"王五", "13800000009"}};
    const QString two = WriteWorkbook(m_folder->file("two.xlsx"), {"名单", "其他"}, rows);
    // A workbook named like the old format: the content decides.
    const QString one = WriteWorkbook(m_folder->file("one.xlsx"), {"名单"}, rows);
    QFile::rename(one, m_folder->file("one.xls"));

    CDlgImportWND window;
    window.OnDropFiles({two});
    ASSERT_TRUE(Settled(window));
    QComboBox* sheets = Child<QComboBox>(window, "21041");
    EXPECT_EQ(Items(sheets), (QStringList{"名单", "其他"}));
    EXPECT_EQ(sheets->currentIndex(), -1);
    Click(window, "1003");
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(206)});

    m_boxes.clear();
    SetNextFileName(m_folder->file("one.xls"));
    Click(window, "21004");
    ASSERT_TRUE(Settled(window));
    EXPECT_EQ(Items(sheets), QStringList{"名单"});
    EXPECT_EQ(sheets->currentText(), "名单");

    // Next converts on a worker; back and next again convert again from the
    // workbook, giving the same columns.
    QStringList seen;
    m_onModal = [&](QDialog& dialog) {
        auto* mapping = qobject_cast<CDlgImport2*>(&dialog);
        EXPECT_NE(mapping, nullptr);
        if (mapping) {
            EXPECT_EQ(mapping->m_strPath, ExcelTempCsvPath());
        }
        seen << window.Columns().join('|');
        return 1001;
    };
    for (int round = 0; round < 2; ++round) {
        Click(window, "1003");
        ASSERT_TRUE(WaitUntil([&] { return seen.size() == round + 1; },
                              std::chrono::milliseconds(TimeBoundMs(10000))));
        EXPECT_EQ(window.m_strPath, m_folder->file("one.xls"));
    }
    EXPECT_EQ(seen, (QStringList{"姓名|手机", "姓名|手机"}));
    EXPECT_TRUE(m_boxes.texts().isEmpty()) << m_boxes.texts().join('|').toStdString();
}

TEST_F(ImportWindowTest, TheCsvHeaderDecidesWhetherTheMappingStepRuns) {
    const struct {
        const char* name;
        QByteArray bytes; // empty name: the file is not written
        QString message;
        QStringList columns;
    } cases[] = {
        {"missing", QByteArray(), "打开文件失败", {}},
        {"UTF-16",
         QByteArray("\xff\xfe", 2) + QByteArray("a\0,\0b\0", 6),
         "不支持UTF-16编码的文件,请另存为UTF-8或ANSI编码后再导入.",
         {}},
        {"empty", QByteArrayLiteral(""), "无法读取文件的列名.", {}},
        {"LF only, quoted comma",
         QByteArrayLiteral("姓名,\"手机,主\"\n王五,13800000009\n"),
         "",
         {"姓名", "手机,主"}},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes.clear();
        m_modals.clear();
        const QString path = m_folder->file(QStringLiteral("h%1.csv").arg(++n));
        if (!c.bytes.isNull())
            write(QStringLiteral("h%1.csv").arg(n), c.bytes);
        CDlgImportWND window;
        SetNextFileName(path);
        Click(window, "21004");
        QStringList handed;
        m_onModal = [&](QDialog&) {
            handed = window.Columns();
            return 1001;
        };
        Click(window, "1003");
        if (c.message.isEmpty()) {
            EXPECT_EQ(m_modals, QStringList{"CDlgImport2"});
            EXPECT_EQ(handed, c.columns);
            EXPECT_TRUE(m_boxes.texts().isEmpty());
        } else {
            EXPECT_EQ(m_boxes.texts(), QStringList{c.message});
            EXPECT_TRUE(m_modals.isEmpty());
        }
    }
}

// Drives the mapping and group steps: name and mobile mapped, group 4
// ticked, then waits for the import.
int DriveSteps(QDialog& dialog) {
    if (auto* mapping = qobject_cast<CDlgImport2*>(&dialog)) {
        Choose(Child<QComboBox>(*mapping, "1"), "姓名");
        Choose(Child<QComboBox>(*mapping, "3"), "手机");
        Click(*mapping, "1003");
        return mapping->result();
    }
    if (auto* groups = qobject_cast<CDlgImport3*>(&dialog)) {
        groups->OnTimer();
        Click(*groups, "1003");
        EXPECT_TRUE(WaitUntil([&] { return groups->result() != kStayedOpen; },
                              std::chrono::milliseconds(TimeBoundMs(30000))));
        return groups->result();
    }
    return int(QDialog::Rejected);
}

TEST_F(ImportWindowTest, ContactsArriveThroughTheWholeWizard) {
    const QString csv = write("in.csv", "姓名,手机\r\n王五,13800000009\r\n赵六,13800000010\r\n");
    CDlgImportWND window;
    window.m_nGroupId = 4;
    window.OnDropFiles({csv});
    m_onModal = DriveSteps;
    Click(window, "1003");
    EXPECT_EQ(window.result(), 1003);
    EXPECT_EQ(m_modals, (QStringList{"CDlgImport2", "CDlgImport3"}));
    EXPECT_EQ(QueryRows(g_pDB, "SELECT name,mobileNum,groupID FROM ContactList WHERE mobileNum IN "
                               "('13800000009','13800000010') ORDER BY mobileNum"),
              (std::vector<std::string>{"王五|13800000009|4", "赵六|13800000010|4"}));
    ASSERT_EQ(m_boxes.shown().size(), 1u);
    EXPECT_EQ(m_boxes.shown()[0].type, mb::Ok | mb::IconInformation);
}

// Esc (answered Yes) or a "quit" during an import: it rolls back, nothing
// stays, and the step ends with 1002.
TEST_F(ImportWindowGroups, StoppingAnImportLeavesNothing) {
    QByteArray lines = "姓名,手机,分组\r\n";
    for (int i = 0; i < 300000; ++i)
        lines += "某人" + QByteArray::number(i) + ",139" + QByteArray::number(10000000 + i) + ",新组" +
                 QByteArray::number(i % 3) + "\r\n";
    const QString csv = write("big.csv", lines);
    const QStringList columns{"姓名", "手机", "分组"};
    const ColumnMap map{{1, "姓名"}, {3, "手机"}};
    for (const bool quit : {false, true}) {
        SCOPED_TRACE(quit ? "quit" : "Esc");
        m_boxes.clear();
        const int contacts = contactCount();
        const int groups = int(QueryScalar(g_pDB, "SELECT COUNT(*) FROM ContactGroup"));
        CDlgImport3 step;
        step.m_nDefaultGroupId = 4;
        step.m_pFieldMap = &map;
        step.m_pColumns = &columns;
        step.m_strPath = csv;
        step.m_strGroupColumn = QStringLiteral("分组");
        step.OnTimer();
        Click(step, "1003");
        ASSERT_TRUE(step.importing());
        if (quit) {
            RequestQuit();
        } else {
            m_boxes.queueAnswer(IDYES);
        }
        SendKey(&step, Qt::Key_Escape);
        ASSERT_TRUE(WaitUntil([&] { return step.result() != kStayedOpen; },
                              std::chrono::milliseconds(TimeBoundMs(60000))));
        EXPECT_EQ(step.result(), 1002);
        EXPECT_FALSE(step.importing());
        EXPECT_EQ(m_boxes.texts(), quit ? QStringList() : QStringList{"确定退出?"});
        EXPECT_EQ(contactCount(), contacts);
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM ContactGroup"), groups);
        ClearQuitRequest();
    }
}

// The pictures of the wizard for the documentation: the source window with a
// workbook's sheets, the mapping step, and the group step while it imports.
using ImportWindowScreenshots = ImportWindowTest;

TEST_F(ImportWindowScreenshots, SourceMappingAndGroupSteps) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    const QList<QStringList> rows{{"姓名", "手机", "生日", "分组"},
                                  {"王五", "13800000009", "1980-05-01", "客户"}};
    const QString book = WriteWorkbook(m_folder->file("客户名单.xlsx"), {"客户", "供应商", "员工"}, rows);
    {
        CDlgImportWND window;
        window.show();
        window.OnDropFiles({book});
        ASSERT_TRUE(Settled(window));
        Child<QComboBox>(window, "21041")->setCurrentIndex(0);
        QCoreApplication::processEvents();
        ASSERT_TRUE(window.grab().save(QDir(dir).filePath(QStringLiteral("import-window.png"))));
    }

    const QStringList columns = rows.front();
    {
        CDlgImport2 step(&columns, kImportCsv);
        step.show();
        Choose(Child<QComboBox>(step, "1"), "姓名");
        Choose(Child<QComboBox>(step, "3"), "手机");
        Choose(Child<QComboBox>(step, "4"), "生日");
        QCoreApplication::processEvents();
        ASSERT_TRUE(step.grab().save(QDir(dir).filePath(QStringLiteral("import-mapping.png"))));
    }

    QByteArray lines = "姓名,手机,生日,分组\r\n";
    for (int i = 0; i < 300000; ++i)
        lines += "某人" + QByteArray::number(i) + ",139" + QByteArray::number(10000000 + i) +
                 ",1980-05-01,客户\r\n";
    const QString csv = write("big.csv", lines);
    const ColumnMap map{{1, "姓名"}, {3, "手机"}};
    CDlgImport3 step;
    step.m_nDefaultGroupId = 4;
    step.m_pFieldMap = &map;
    step.m_pColumns = &columns;
    step.m_strPath = csv;
    step.show();
    step.OnTimer();
    Click(step, "1003");
    ASSERT_TRUE(step.importing());
    auto* progress = Child<QProgressBar>(step, "1094");
    WaitUntil([&] { return progress->value() > progress->minimum() || !step.importing(); },
              std::chrono::milliseconds(TimeBoundMs(10000)));
    ASSERT_TRUE(step.grab().save(QDir(dir).filePath(QStringLiteral("import-groups.png"))));
    RequestQuit();
    SendKey(&step, Qt::Key_Escape);
    EXPECT_TRUE(WaitUntil([&] { return step.result() != kStayedOpen; },
                          std::chrono::milliseconds(TimeBoundMs(60000))));
    ClearQuitRequest();
}

} // namespace
