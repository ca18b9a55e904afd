#include "gui/contacts/export_group_dialog.h"

#include "contacts/xlsx_writer.h"
#include "core/database.h"
#include "core/string_table.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/tree_helpers.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_export_group_dialog.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>
#include <climits>

namespace {
// How long a closing dialog waits for its worker to notice the stop.
constexpr int kJoinMs = 10000;
} // namespace

CDlgExportGroup::CDlgExportGroup(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgExportGroup>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    m_ui->progress->hide();
    m_progressTimer.setInterval(50);
    connect(&m_progressTimer, &QTimer::timeout, this, &CDlgExportGroup::ShowProgress);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgExportGroup::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgExportGroup::reject);
}

CDlgExportGroup::~CDlgExportGroup() {
    m_cancel = true;
    m_worker.join(kJoinMs);
}

void CDlgExportGroup::showEvent(QShowEvent* event) {
    if (!m_initialized)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CDlgExportGroup::OnInitDialog() {
    m_initialized = true;
    FillCheckableGroupTree(m_ui->groupTree);
}

void CDlgExportGroup::OnOK() {
    if (m_exporting)
        return;
    QList<qint64> groups;
    GetCheckedTreeItems(m_ui->groupTree, nullptr, groups);
    const bool xlsx = m_ui->xlsFormat->isChecked();
    const QString proposed = tr("联系人信息表");
    if (!xlsx) {
        const QString path =
            ChooseSaveFile(this, tr("CSV文件(*.csv)|*.csv||"), proposed, QStringLiteral("csv"));
        if (!path.isEmpty())
            StartExport(path, ExportFormat::Csv, groups);
        return;
    }
    const QString chosen = ChooseSaveFile(this, tr("Microsoft Excel文件(*.xls;*.xlsx)|*.xls;*.xlsx||"),
                                          proposed, QStringLiteral("xls"));
    if (chosen.isEmpty())
        return;
    // Workbooks are always written as .xlsx: "a.xls" becomes "a.xlsx".
    const QString path = XlsxFileName(chosen);
    if (QFileInfo::exists(path) && ShowMessageBox(LoadStr(195), mb::YesNo | mb::IconQuestion) != IDYES) {
        ShowMessageBox(LoadStr(194), mb::Ok | mb::IconWarning);
        done(1003);
        return;
    }
    StartExport(path, ExportFormat::Xlsx, groups);
}

void CDlgExportGroup::StartExport(const QString& path, ExportFormat format, const QList<qint64>& groups) {
    m_exporting = true;
    m_cancel = false;
    m_rowsDone = 0;
    m_rowsTotal = 0;
    m_ui->ok->hide();
    m_ui->cancel->hide();
    m_ui->ok->setEnabled(false);
    m_ui->progress->setRange(0, 0);
    m_ui->progress->setValue(0);
    m_ui->progress->show();
    m_progressTimer.start();
    m_worker.start([this, path, format, groups] {
        ContactExportResult result;
        if (sqlite3* db = OpenConnection(SystemDatabasePath())) {
            result = ExportContacts(db, path, format, groups, [this](qint64 done, qint64 total) {
                m_rowsTotal = total;
                m_rowsDone = done;
                return !m_cancel.load();
            });
            CloseConnection(db);
        } else {
            result.error = QStringLiteral("no database connection");
        }
        m_result = result;
        QMetaObject::invokeMethod(this, &CDlgExportGroup::OnExportEnded, Qt::QueuedConnection);
    });
}

void CDlgExportGroup::ShowProgress() {
    const qint64 total = m_rowsTotal.load();
    if (total <= 0)
        return;
    // The bar runs from 0 to the count less one, as far as an int reaches.
    const int last = static_cast<int>(std::min<qint64>(total - 1, INT_MAX));
    if (m_ui->progress->maximum() != last)
        m_ui->progress->setRange(0, last);
    m_ui->progress->setValue(static_cast<int>(std::min<qint64>(m_rowsDone.load(), last)));
}

void CDlgExportGroup::OnExportEnded() {
    m_progressTimer.stop();
    m_worker.join(kJoinMs);
    ShowProgress();
    m_exporting = false;
    const int id = ExportMessageId(m_result);
    ShowMessageBox(LoadStr(id), mb::Ok | (m_result.ok ? mb::IconInformation : mb::IconWarning));
    done(1003);
}

void CDlgExportGroup::reject() {
    if (m_exporting) {
        m_cancel = true;
        return;
    }
    done(2);
}
