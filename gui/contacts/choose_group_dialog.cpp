#include "gui/contacts/choose_group_dialog.h"

#include "contacts/contact_selection.h"
#include "contacts/group_chooser.h"
#include "core/app_globals.h"
#include "core/string_table.h"
#include "gui/widgets/tree_helpers.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_choose_group_dialog.h"

#include <QPushButton>
#include <QTreeWidget>

namespace {

// Every group gets a tick box; the root "联系人" is all contacts, not a
// group, so it gets none.
void AddTickBoxes(QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        if (TreeItemData(child) > 0) {
            child->setFlags(child->flags() | Qt::ItemIsUserCheckable);
            child->setCheckState(0, Qt::Unchecked);
        } else {
            child->setFlags(child->flags() & ~Qt::ItemIsUserCheckable);
        }
        AddTickBoxes(child);
    }
}

} // namespace

CDlgChooseGroup::CDlgChooseGroup(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgChooseGroup>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    // The form has no caption of its own.
    setWindowTitle(g_strAppTitle);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgChooseGroup::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgChooseGroup::reject);
}

CDlgChooseGroup::~CDlgChooseGroup() = default;

void CDlgChooseGroup::showEvent(QShowEvent* event) {
    if (!m_initialized)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CDlgChooseGroup::OnInitDialog() {
    m_initialized = true;
    if (m_queryMode)
        m_ui->prompt->setText(tr("请选择要查询的联系人分组"));
    else if (m_moveContacts)
        m_ui->prompt->setText(tr("将所选联系人移动到以下分组(请勾选)"));

    QTreeWidget* tree = m_ui->groupTree;
    tree->clear();
    if (m_treeMode == 0) {
        auto* root = new QTreeWidgetItem(tree, QStringList{tr("联系人")});
        root->setData(0, kTreeItemDataRole, 0);
    }
    FillGroupTree(tree);
    if (m_treeMode == 1) {
        // A group cannot go under itself or under one of its own subgroups.
        if (QTreeWidgetItem* self = FindTreeItemByData(tree, nullptr, m_currentGroup))
            delete self;
    }
    AddTickBoxes(tree->invisibleRootItem());
    tree->expandAll();
}

void CDlgChooseGroup::OnOK() {
    QList<qint64> groups;
    GetCheckedTreeItems(m_ui->groupTree, nullptr, groups);
    if (groups.isEmpty()) {
        ShowMessageBox(LoadStr(175), mb::Ok | mb::IconWarning);
        return;
    }
    if (m_treeMode == 1) {
        if (groups.size() > 1) {
            ShowMessageBox(LoadStr(176), mb::Ok | mb::IconWarning);
            return;
        }
        switch (SetGroupParent(m_currentGroup, groups.first())) {
        case ReparentResult::Done:
            done(1003);
            return;
        case ReparentResult::WouldCycle:
            ShowMessageBox(tr("不能将分组移到它自己或它的下级分组之下"), mb::Ok | mb::IconWarning);
            return;
        case ReparentResult::Failed:
            ShowMessageBox(tr("未能修改分组的上级分组"), mb::Ok | mb::IconWarning);
            return;
        }
        return;
    }
    if (m_queryMode) {
        m_groupCondition = GroupCondition(groups);
        done(1003);
        return;
    }
    const ContactSelection none;
    const ContactSelection& selection = m_selection ? *m_selection : none;
    if (m_moveContacts) {
        // A row can only be in one group: the first ticked one takes it.
        if (!MoveContactsToGroup(selection, groups.first())) {
            ShowMessageBox(tr("未能将所选联系人移动到目标分组"), mb::Ok | mb::IconWarning);
            return;
        }
        ShowMessageBox(tr("已成功将所选联系人移动到目标分组"), mb::Ok | mb::IconInformation);
    } else {
        if (!CopyContactsToGroups(selection, groups, g_pDB, &m_nextPerNo)) {
            ShowMessageBox(tr("未能将所选联系人复制到目标分组"), mb::Ok | mb::IconWarning);
            return;
        }
        ShowMessageBox(tr("已成功将所选联系人复制到目标分组"), mb::Ok | mb::IconInformation);
    }
    done(1003);
}

void CDlgChooseGroup::reject() {
    done(2);
}
