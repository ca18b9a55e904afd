#include "gui/contacts/import3_dialog.h"

#include "core/database.h"
#include "core/string_table.h"
#include "gui/main/app_control.h"
#include "gui/widgets/tree_helpers.h"
#include "gui/widgets/widget_helpers.h"
#include "gui/widgets/worker_progress.h"
#include "platform/msgbox.h"

#include "ui_import3_dialog.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

constexpr int kTickDelayMs = 300;

} // namespace

CDlgImport3::CDlgImport3(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgImport3>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->finish, &QPushButton::clicked, this, &CDlgImport3::StartImport);
    connect(m_ui->back, &QPushButton::clicked, this, [this] { done(kImportStepBack); });
    OnInitDialog();
}

CDlgImport3::~CDlgImport3() {
    StopImport();
}

void CDlgImport3::OnInitDialog() {
    FillCheckableGroupTree(m_ui->groupTree);
    // The opener names the default group and the group column after
    // construction, so they are read when the timer fires.
    QTimer::singleShot(kTickDelayMs, this, &CDlgImport3::OnTimer);
}

void CDlgImport3::OnTimer() {
    QTreeWidget* tree = m_ui->groupTree;
    if (QTreeWidgetItem* item = FindTreeItemByData(tree, nullptr, m_nDefaultGroupId))
        item->setCheckState(0, Qt::Checked);
    if (!m_strGroupColumn.isEmpty())
        tree->setEnabled(false);
}

ImportRequest CDlgImport3::Request(const QList<qint64>& groups) const {
    ImportRequest request;
    request.mode = m_nImportMode;
    request.path = m_strPath;
    request.connect = m_strConnect;
    request.table = m_strTable;
    if (m_pColumns)
        request.columns = *m_pColumns;
    if (m_pFieldMap)
        request.fieldMap = *m_pFieldMap;
    // A database source has no group column.
    if (!m_strGroupColumn.isEmpty() && m_nImportMode != kImportDatabase) {
        request.groupColumn = m_strGroupColumn;
        request.fieldMap[0] = m_strGroupColumn;
    }
    for (qint64 group : groups)
        request.groups.push_back(static_cast<int>(group));
    request.defaultGroupId = m_nDefaultGroupId;
    request.formatDates = m_bFormatDates;
    return request;
}

void CDlgImport3::StartImport() {
    if (m_importing)
        return;
    QList<qint64> groups;
    GetCheckedTreeItems(m_ui->groupTree, nullptr, groups);
    if (groups.isEmpty()) {
        ShowMessageBox(LoadStr(203), mb::Ok | mb::IconWarning);
        return;
    }
    m_ui->back->hide();
    m_ui->finish->hide();
    m_ui->progress->setValue(0);
    m_ui->progress->show();
    m_request = Request(groups);
    m_cancel = false;
    m_importing = true;
    // A "quit" of the program lets the rollback finish before it goes on.
    setProperty(kFinishingWorkProperty, true);
    m_worker = std::thread([this, request = m_request] {
        ImportOutcome outcome;
        if (sqlite3* db = OpenConnection(SystemDatabasePath())) {
            outcome = RunContactImport(db, request,
                                       QueuedPermilleProgress(
                                           this, [this](int permille) { OnProgress(permille); }, m_cancel));
            CloseConnection(db);
        } else {
            outcome.status = ImportOutcome::Status::CommitFailed;
        }
        QMetaObject::invokeMethod(
            this, [this, outcome] { OnImportFinished(outcome); }, Qt::QueuedConnection);
    });
}

void CDlgImport3::OnProgress(int permille) {
    if (m_importing)
        m_ui->progress->setValue(permille);
}

void CDlgImport3::OnImportFinished(const ImportOutcome& outcome) {
    if (!m_importing)
        return; // the dialog was ended meanwhile and has joined the worker
    const bool quitting = m_cancel.load();
    StopImport();
    using Status = ImportOutcome::Status;
    if (outcome.status == Status::Done) {
        // Committed before the stop could take effect: the contacts are in.
        if (!QuitRequested()) {
            const unsigned icon = m_nImportMode == kImportCsv ? mb::IconInformation : mb::IconWarning;
            ShowMessageBox(ImportOutcomeText(m_request, outcome), mb::Ok | icon);
        }
        done(kImportStepDone);
        return;
    }
    if (quitting) {
        done(kImportStepQuit);
        return;
    }
    // Nothing was imported: the user may change the groups or go back.
    const bool databaseError =
        outcome.status == Status::ConnectFailed || outcome.status == Status::SourceError;
    ShowMessageBox(ImportOutcomeText(m_request, outcome), mb::Ok | (databaseError ? 0u : mb::IconWarning));
    m_ui->progress->hide();
    m_ui->back->show();
    m_ui->finish->show();
}

void CDlgImport3::StopImport() {
    m_cancel = true;
    if (m_worker.joinable())
        m_worker.join();
    m_importing = false;
    setProperty(kFinishingWorkProperty, false);
}

void CDlgImport3::reject() {
    if (m_importing && m_cancel)
        return; // already stopping
    if (!QuitRequested() && !ConfirmExit())
        return;
    if (m_importing) {
        // The worker sees the stop at its next row, rolls back and reports;
        // the dialog ends then, responsive meanwhile.
        m_cancel = true;
        return;
    }
    done(kImportStepQuit);
}

void CDlgImport3::done(int result) {
    // No window ends under a worker that still writes for it.
    StopImport();
    QDialog::done(result);
}

void CDlgImport3::keyPressEvent(QKeyEvent* event) {
    if (!SwallowEnter(event))
        QDialog::keyPressEvent(event);
}
