#include "gui/contacts/contact_info_dialog.h"

#include "contacts/contact_save.h"
#include "core/string_table.h"
#include "gui/contacts/contact_base_page.h"
#include "gui/contacts/contact_extend_page.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_contact_info_dialog.h"

#include <QPushButton>
#include <QTabWidget>

CDlgContactInfo::CDlgContactInfo(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgContactInfo>()) {
    Init();
}

CDlgContactInfo::CDlgContactInfo(const CONTACTINFO& record, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgContactInfo>()), m_record(record), m_editExisting(true) {
    Init();
}

CDlgContactInfo::~CDlgContactInfo() = default;

void CDlgContactInfo::Init() {
    m_ui->setupUi(this);
    m_base = new CDlgContactBase(this);
    m_extend = new CDlgContactExtend(this);
    m_ui->tabs->addTab(m_base, tr("联系人信息"));
    m_ui->tabs->addTab(m_extend, tr("自定义联系人属性"));
    ApplyControlIds(this);
    m_nextDisplayIndex = NextContactDisplayIndex();
    if (m_editExisting) {
        m_base->SetRecord(&m_record);
        m_extend->SetRecord(m_record);
    }
    m_base->FocusName();
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgContactInfo::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgContactInfo::reject);
}

void CDlgContactInfo::SetOpenedRow(qint64 rowid, int groupId) {
    m_rowid = rowid;
    m_rowGroupId = groupId;
}

void CDlgContactInfo::SetPresetGroup(int groupId) {
    m_base->SetPresetGroup(groupId);
}

void CDlgContactInfo::reject() {
    done(IDCANCEL);
}

bool CDlgContactInfo::AddContact(CONTACTINFO& record) {
    ContactSaveTarget target;
    target.existing = m_editExisting && !m_record.groupIds.empty();
    if (target.existing) {
        target.oldGroups = m_record.groupIds;
        target.keptFields = m_extend->FieldsWithoutControl();
    }
    target.rowid = m_rowid;
    target.rowGroupId = m_rowGroupId;
    target.nextDisplayIndex = m_nextDisplayIndex;
    switch (SaveContact(record, target)) {
    case ContactSaveResult::Saved:
        m_nextDisplayIndex = target.nextDisplayIndex;
        return true;
    case ContactSaveResult::MissingRequired:
        ShowMessageBox(LoadStr(189), mb::Ok | mb::IconWarning);
        return false;
    case ContactSaveResult::IllegalNumber:
        ShowMessageBox(LoadStr(190), mb::Ok | mb::IconWarning);
        return false;
    case ContactSaveResult::Failed:
        ShowMessageBox(tr("保存联系人信息失败"), mb::Ok | mb::IconWarning);
        return false;
    }
    return false;
}

void CDlgContactInfo::OnOK() {
    // Starting from the record as opened keeps what no control shows.
    CONTACTINFO record = m_editExisting ? m_record : CONTACTINFO();
    m_base->FillRecord(record);
    m_extend->FillRecord(record);
    if (!AddContact(record))
        return;
    ShowMessageBox(LoadStr(186), mb::Ok | mb::IconInformation);
    done(1003);
}
