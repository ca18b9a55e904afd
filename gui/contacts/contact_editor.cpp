#include "gui/contacts/contact_editor.h"

#include "contacts/contact_record.h"
#include "core/database.h"
#include "gui/contacts/contact_info_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "platform/msgbox.h"

int OpenContactEditor(QWidget* parent, qint64 rowid) {
    CONTACTINFO record;
    if (rowid <= 0 || !ReadContactByRowid(g_pDB, rowid, record) || record.groupIds.empty())
        return IDCANCEL;
    const int rowGroupId = static_cast<int>(record.groupIds.front());
    // Without a number the row stands alone; else the contact is in every
    // group that holds its number.
    if (!record.mobileNum.isEmpty() && (!LoadContactGroups(g_pDB, record) || record.groupIds.empty()))
        record.groupIds = {static_cast<quint32>(rowGroupId)};
    CDlgContactInfo dialog(record, parent);
    dialog.SetOpenedRow(rowid, rowGroupId);
    return RunModal(dialog);
}

int OpenContactEditorForPerNo(QWidget* parent, qint64 perNO) {
    return OpenContactEditor(parent, FirstRowidOfPerNo(g_pDB, perNO));
}

int OpenNewContactEditor(QWidget* parent, int groupId) {
    CDlgContactInfo dialog(parent);
    dialog.SetPresetGroup(groupId);
    return RunModal(dialog);
}

int OpenNewContactEditorForNumber(QWidget* parent, const QString& mobile) {
    CONTACTINFO record;
    record.mobileNum = mobile;
    CDlgContactInfo dialog(record, parent);
    return RunModal(dialog);
}
