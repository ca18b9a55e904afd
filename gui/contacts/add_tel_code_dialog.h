#pragma once
// "添加新号码": mobile numbers typed or pasted one a line, checked, kept once
// and added straight into the opener's number list; button 1142 takes the
// one typed number into a new contact instead.
#include "gui/contacts/entry_dialogs.h"

#include <functional>
#include <memory>

class VIRTUAL_LIST;

namespace Ui {
class CDlgAddTelCode;
}

class CDlgAddTelCode : public CEntryDialog {
    Q_OBJECT
public:
    explicit CDlgAddTelCode(QWidget* parent = nullptr);
    ~CDlgAddTelCode() override;

    // The opener's number list, set before the dialog runs; without one OK
    // only hands the text over. The list keeps its own domestic and
    // international tallies, so the dialog keeps none the opener could add
    // a second time.
    VIRTUAL_LIST* m_numberList = nullptr;

    // Opens the contact editor on a new contact with this mobile number and
    // returns the editor's result (1003 when it saved). Tests replace it.
    using NewContactOpener = std::function<int(QWidget* parent, const QString& mobile)>;
    static NewContactOpener s_openNewContact;

    // "添加至联系人": the box as the one number of a new contact; when the
    // editor saves, the dialog ends as OK does.
    void OnAddToContacts();

protected:
    void OnOK() override;

private:
    std::unique_ptr<Ui::CDlgAddTelCode> m_ui;
};
