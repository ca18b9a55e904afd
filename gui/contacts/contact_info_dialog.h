#pragma once
// The contact editor: creates a contact in the ticked groups, or edits the
// row it was opened on and adds the contact to newly ticked groups. Ends
// with 1003 after a save, telling the caller to read its list again.
#include "contacts/contact_record.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CDlgContactInfo;
}
class CDlgContactBase;
class CDlgContactExtend;

class CDlgContactInfo : public QDialog {
    Q_OBJECT
public:
    // A new, empty contact.
    explicit CDlgContactInfo(QWidget* parent = nullptr);
    // A contact filled in by the caller; it is saved as a new contact when
    // it has no group ids, else as the existing contact in those groups.
    explicit CDlgContactInfo(const CONTACTINFO& record, QWidget* parent = nullptr);
    ~CDlgContactInfo() override;

    // The row the editor was opened on and its group: the one row it updates.
    void SetOpenedRow(qint64 rowid, int groupId);
    // For a new contact: the group ticked at the start.
    void SetPresetGroup(int groupId);

    CDlgContactBase* BasePage() const { return m_base; }
    CDlgContactExtend* ExtendPage() const { return m_extend; }

    // Checks and saves `record`, showing why when it cannot; true when saved.
    bool AddContact(CONTACTINFO& record);
    void OnOK();

public slots:
    // Cancel, Esc and the close box.
    void reject() override;

private:
    void Init();

    std::unique_ptr<Ui::CDlgContactInfo> m_ui;
    CDlgContactBase* m_base = nullptr;
    CDlgContactExtend* m_extend = nullptr;
    CONTACTINFO m_record;
    bool m_editExisting = false;
    int m_nextDisplayIndex = -1;
    int m_rowGroupId = -1;
    qint64 m_rowid = 0;
};
