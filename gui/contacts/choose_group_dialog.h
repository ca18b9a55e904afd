#pragma once
// Ticking contact groups, for four openers: copying or moving the ticked
// contacts of a list into the groups, choosing groups as a query condition,
// and choosing a new parent for a group.
#include <QDialog>
#include <QString>
#include <QtGlobal>

#include <memory>

namespace Ui {
class CDlgChooseGroup;
}
class ContactSelection;

class CDlgChooseGroup : public QDialog {
    Q_OBJECT
public:
    explicit CDlgChooseGroup(QWidget* parent = nullptr);
    ~CDlgChooseGroup() override;

    // Set by the opener before the dialog is shown.
    // 0: contact modes (the tree has the root "联系人"); 1: parent mode (no
    // root; the group m_currentGroup and its subgroups are not offered).
    int m_treeMode = 0;
    bool m_moveContacts = false;
    bool m_queryMode = false;
    // Parent mode: the group that gets a new parent.
    qint64 m_currentGroup = 0;
    // Copy and move: the opener's list and its ticked contacts.
    const ContactSelection* m_selection = nullptr;

    // Query mode, after 1003: " AND (groupID=3 OR groupID=5)".
    QString m_groupCondition;
    // After a copy: the first perNO after the ones the copies took.
    qint64 m_nextPerNo = 0;

    // Fills the tree for the mode; done once, when the dialog is first shown.
    void OnInitDialog();
    // Does the mode's work; ends with 1003, or stays open when nothing is
    // ticked, the choice is refused or the work failed.
    void OnOK();

public slots:
    // "取消", Esc and the close box end with the cancel result.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::CDlgChooseGroup> m_ui;
    bool m_initialized = false;
};
