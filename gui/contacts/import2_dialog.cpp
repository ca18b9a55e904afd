#include "gui/contacts/import2_dialog.h"

#include "core/string_table.h"
#include "gui/contacts/import3_dialog.h"
#include "gui/contacts/import_field_panel.h"
#include "gui/main/app_control.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_import2_dialog.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr unsigned kMobileField = 3;

} // namespace

CDlgImport2::CDlgImport2(const QStringList* columns, int importMode, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgImport2>()), m_pColumns(columns),
      m_nImportMode(importMode) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->back, &QPushButton::clicked, this, [this] { done(kImportStepBack); });
    connect(m_ui->next, &QPushButton::clicked, this, &CDlgImport2::OnNext);
    OnInitDialog();
}

CDlgImport2::~CDlgImport2() = default;

void CDlgImport2::OnInitDialog() {
    m_pFieldPanel = new CDlgImportField(m_pColumns, m_ui->panelHost);
    m_ui->panelHost->layout()->addWidget(m_pFieldPanel);
    QComboBox* groupColumn = m_ui->groupColumn;
    if (m_pColumns)
        for (const QString& column : *m_pColumns)
            if (!column.isEmpty())
                groupColumn->addItem(column);
    // No group column until the user picks one.
    groupColumn->setCurrentIndex(-1);
    if (m_nImportMode == kImportDatabase) {
        m_ui->groupLabel->hide();
        m_ui->groupHint->hide();
        groupColumn->hide();
    }
}

void CDlgImport2::OnNext() {
    if (!m_pFieldPanel->m_mapColumns.count(kMobileField)) {
        ShowMessageBox(LoadStr(189), mb::Ok | mb::IconWarning);
        return;
    }
    CDlgImport3 step(this);
    step.m_pFieldMap = &m_pFieldPanel->m_mapColumns;
    step.m_nDefaultGroupId = m_nGroupId;
    if (m_nImportMode != kImportDatabase)
        step.m_strGroupColumn = m_ui->groupColumn->currentText();
    step.m_strPath = m_strPath;
    step.m_strConnect = m_strConnect;
    step.m_strTable = m_strTable;
    step.m_nImportMode = m_nImportMode;
    step.m_pColumns = m_pColumns;
    step.m_bFormatDates = m_bFormatDates;
    step.m_nCallerValue = m_nCallerValue;
    RunWizardStep(*this, step, {kImportStepQuit, kImportStepDone});
}

void CDlgImport2::reject() {
    if (QuitRequested() || ConfirmExit())
        done(kImportStepQuit);
}

void CDlgImport2::keyPressEvent(QKeyEvent* event) {
    if (!SwallowEnter(event))
        QDialog::keyPressEvent(event);
}
