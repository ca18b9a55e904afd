// The main window's group tree: the groups under "联系人" and the fixed
// record, task and page nodes, the view each node shows, and the pop-up menu
// and label editing that add, delete, rename and move groups.
#include "gui/main/main_window.h"

#include "contacts/cloud_copy.h"
#include "contacts/group_edit.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/start_settings.h"
#include "core/string_table.h"
#include "gui/automation/task_view.h"
#include "gui/contacts/choose_group_dialog.h"
#include "gui/contacts/contact_editor.h"
#include "gui/contacts/contact_frame.h"
#include "gui/contacts/entry_dialogs.h"
#include "gui/main/net_mgt_view.h"
#include "gui/sms/msg_record_view.h"
#include "gui/sms/received_record_view.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/tree_helpers.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "sms/received_records.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CCorvelaneDlg", text);
}

constexpr int kRenameRight = 4;
constexpr int kAddRight = 4;
constexpr int kDeleteRight = 8;
constexpr int kNewContactRight = 1;
constexpr int kMoveRight = 4;
// The upload hands every contact out; the download replaces them, like a restore.
constexpr int kCloudUploadRight = 4;
constexpr int kCloudDownloadRight = 11;

bool IsGroupCode(qint64 code) {
    return code > node::Contacts && code < node::kFirstFixedNode;
}

// In-place editing of a group's name. The tree's model is never written
// here: the window stores the name first and sets the label only when that
// worked.
class GroupLabelDelegate : public QStyledItemDelegate {
public:
    using Begin = std::function<bool(const QModelIndex&)>;
    using End = std::function<void(const QModelIndex&, const QString&)>;
    GroupLabelDelegate(QObject* parent, Begin begin, End end)
        : QStyledItemDelegate(parent), m_begin(std::move(begin)), m_end(std::move(end)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (!m_begin(index))
            return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            m_end(index, line->text());
    }

private:
    Begin m_begin;
    End m_end;
};

bool NameInSubtree(const QTreeWidgetItem* item, const QString& name) {
    if (item->text(0) == name)
        return true;
    for (int i = 0; i < item->childCount(); ++i)
        if (NameInSubtree(item->child(i), name))
            return true;
    return false;
}

void MakeGroupsEditable(QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        if (IsGroupCode(TreeItemData(child)))
            child->setFlags(child->flags() | Qt::ItemIsEditable);
        MakeGroupsEditable(child);
    }
}

// The texts from the outermost ancestor down to `item`.
QStringList NodePath(const QTreeWidgetItem* item) {
    QStringList path;
    for (; item; item = item->parent())
        path.prepend(item->text(0));
    return path;
}

} // namespace

void CCorvelaneDlg::SetUpTree() {
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { OnTreeSelection(); });
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { OnTreeRightClick(pos); });
    // A click on the selected group or F2 starts editing its name, as does 10003.
    m_tree->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    m_tree->setItemDelegate(new GroupLabelDelegate(
        m_tree, [this](const QModelIndex& index) { return OnBeginLabelEdit(m_tree->itemFromIndex(index)); },
        [this](const QModelIndex& index, const QString& text) {
            // After the editor has closed, so a message box cannot take its
            // focus and commit it a second time.
            QPersistentModelIndex edited(index);
            QTimer::singleShot(0, this, [this, edited, text] {
                if (edited.isValid())
                    OnEndLabelEdit(m_tree->itemFromIndex(edited), text);
            });
        }));
}

void CCorvelaneDlg::FillMainTree() {
    const bool startUp = m_busy;
    const qint64 selected = m_tree->currentItem() ? TreeItemData(m_tree->currentItem()) : node::Contacts;
    m_busy = true;
    m_tree->clear();
    const int mask = featureMask();
    auto add = [&](QTreeWidgetItem* parent, const QString& text, qint64 code) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
        item->setText(0, text);
        item->setData(0, kTreeItemDataRole, code);
        return item;
    };
    auto channel = [&](const QString& text, qint64 code) {
        QTreeWidgetItem* item = add(nullptr, text, code);
        add(item, LoadStr(133), code + 1);
        add(item, LoadStr(134), code + 2);
        add(item, LoadStr(135), code + 3);
        return item;
    };
    QTreeWidgetItem* contacts = add(nullptr, LoadStr(122), node::Contacts);
    // Groups under a missing parent or in a cycle are left out.
    FillGroupTree(m_tree);
    MakeGroupsEditable(contacts);
    QTreeWidgetItem* sms = channel(LoadStr(123), node::Sms);
    add(sms, LoadStr(124), node::Received);
    add(sms, LoadStr(125), node::Survey);
    struct Optional {
        int text;
        qint64 code;
        int bit;
        bool records;
    };
    const Optional optional[] = {
        {126, node::Tasks, feature::Tasks, false}, {127, node::Fax, feature::Fax, true},
        {128, node::Email, feature::Email, true},  {129, node::Mms, feature::Mms, true},
        {130, node::Voice, feature::Voice, true},  {131, node::NetManagement, feature::NetManagement, false}};
    for (const Optional& o : optional) {
        if (mask & o.bit)
            continue;
        if (o.records)
            channel(LoadStr(o.text), o.code);
        else
            add(nullptr, LoadStr(o.text), o.code);
    }
    add(nullptr, LoadStr(132), node::NetMessages);
    contacts->setExpanded(true);
    sms->setExpanded(true);
    if (startUp)
        return; // start-up's first timer ends the busy state and selects
    // A refill after a move or an import: the selection must be served again,
    // or the tree would ignore every later click.
    m_busy = false;
    QTreeWidgetItem* again = FindTreeItemByData(m_tree, nullptr, selected);
    m_tree->setCurrentItem(again ? again : contacts);
}

void CCorvelaneDlg::SelectNode(qint64 code) {
    if (QTreeWidgetItem* item = FindTreeItemByData(m_tree, nullptr, code))
        m_tree->setCurrentItem(item);
}

bool CCorvelaneDlg::GroupNameExists(const QString& name, QTreeWidgetItem* start) const {
    if (!start)
        return false;
    QTreeWidgetItem* parent = start->parent() ? start->parent() : m_tree->invisibleRootItem();
    for (int i = parent->indexOfChild(start); i >= 0 && i < parent->childCount(); ++i)
        if (NameInSubtree(parent->child(i), name))
            return true;
    return false;
}

// ---- selection and views ---------------------------------------------------------

void CCorvelaneDlg::OnTreeSelection() {
    if (m_busy || m_closing)
        return;
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!item)
        return;
    const qint64 code = TreeItemData(item);
    m_statusParts[2]->setText(Tr("正在处理..."));
    m_groupCaption = GroupCaption(NodePath(item));
    QWidget* view = nullptr;
    if (code < node::kFirstFixedNode) {
        m_currentGroup = int(code);
        view = ShowContactsView(m_currentGroup, m_groupCaption);
    } else {
        m_currentGroup = -1;
        view = ShowFixedNodeView(code);
    }
    if (view) {
        if (m_currentView && m_currentView != view)
            m_currentView->hide();
        m_currentView = view;
        view->show();
        OnSize();
    }
    m_statusParts[2]->clear();
}

QWidget* CCorvelaneDlg::ShowContactsView(int group, const QString& caption) {
    CDlgContactFrame* pane = ContactPane();
    pane->SetGroupCaption(caption);
    pane->QueryContacts(group, false, -1);
    return pane;
}

CDlgContactFrame* CCorvelaneDlg::ContactPane() {
    // Made on first use and kept, like every view.
    QWidget*& view = m_views[129];
    if (!view)
        view = new CDlgContactFrame(this);
    return static_cast<CDlgContactFrame*>(view);
}

void CCorvelaneDlg::RequeryContacts() {
    // Only a pane that exists can hold rowids that a rebuild renumbered.
    if (QWidget* view = m_views[129])
        static_cast<CDlgContactFrame*>(view)->Requery();
}

void CCorvelaneDlg::RequeryRecordViews() {
    if (QWidget* view = m_views[190])
        static_cast<CDlgMsgRecord*>(view)->Requery();
    if (QWidget* view = m_views[3134])
        static_cast<CDlgMsgRecord1Received*>(view)->Requery();
}

QWidget* CCorvelaneDlg::ShowFixedNodeView(qint64 code) {
    const qint64 channel = code - code % 1000;
    const qint64 child = code % 1000;
    const bool channelNode = channel == node::Sms || channel == node::Fax || channel == node::Email ||
                             channel == node::Mms || channel == node::Voice;
    unsigned viewId = 0;
    if ((channelNode && child >= 1 && child <= 3) || code == node::Survey)
        viewId = 190;
    else if (code == node::Received)
        viewId = 3134;
    else if (code == node::Tasks)
        viewId = 3137;
    else if (code == node::NetManagement || code == node::NetMessages)
        viewId = 211;
    if (viewId == 0)
        return nullptr; // a channel node itself: the view stays
    QWidget*& view = m_views[viewId];
    if (!view) {
        switch (viewId) {
        case 190:
            view = new CDlgMsgRecord(this);
            break;
        case 3134: {
            auto* received = new CDlgMsgRecord1Received(this);
            received->SetMicroblogFlag(ShowWeiboPage());
            view = received;
            break;
        }
        case 3137:
            view = new CDlgTask(this);
            break;
        default:
            view = new CDlgNetMGT(this);
            break;
        }
    }
    switch (viewId) {
    case 190:
        static_cast<CDlgMsgRecord*>(view)->QueryRecords(code, QString(), -1);
        break;
    case 3134:
        static_cast<CDlgMsgRecord1Received*>(view)->QueryRecords(
            ReadReceivedShowSettings(g_strAccountIni).filter(), -1);
        break;
    case 3137:
        static_cast<CDlgTask*>(view)->LoadTasks();
        break;
    default:
        static_cast<CDlgNetMGT*>(view)->SetNodeCode(code);
        break;
    }
    return view;
}

// ---- pop-up menu and commands ------------------------------------------------------

std::unique_ptr<QMenu> CCorvelaneDlg::BuildGroupMenu(qint64 code) {
    auto menu = std::make_unique<QMenu>(this);
    const bool root = code == node::Contacts;
    auto entry = [](QMenu* into, int id, const QString& text, bool enabled) {
        QAction* a = into->addAction(text);
        a->setData(id);
        a->setObjectName(QStringLiteral("menu%1").arg(id));
        a->setEnabled(enabled);
    };
    entry(menu.get(), 10001, LoadStr(136), true);
    entry(menu.get(), 10002, LoadStr(137), !root);
    entry(menu.get(), 10003, LoadStr(138), !root);
    menu->addSeparator();
    entry(menu.get(), 10004, LoadStr(139), !root);
    menu->addSeparator();
    entry(menu.get(), 32776, LoadStr(140), !root);
    QMenu* manage = menu->addMenu(LoadStr(142));
    entry(manage, 10005, LoadStr(141), true);
    QMenu* cloud = menu->addMenu(Tr("云端同步"));
    entry(cloud, 10006, Tr("本机数据覆盖云端数据"), true);
    entry(cloud, 10007, Tr("云端数据覆盖本机数据"), true);
    return menu;
}

void CCorvelaneDlg::OnTreeRightClick(const QPoint& pos) {
    if (m_closing)
        return;
    QTreeWidgetItem* item = m_tree->itemAt(pos);
    if (!item)
        return;
    m_tree->setCurrentItem(item);
    const qint64 code = TreeItemData(item);
    if (code >= node::kFirstFixedNode)
        return;
    m_currentGroup = int(code);
    activateWindow();
    raise();
    std::unique_ptr<QMenu> menu = BuildGroupMenu(code);
    const QPoint global = m_tree->viewport()->mapToGlobal(pos);
    QAction* chosen = m_popupMenuRunner ? m_popupMenuRunner(*menu, global) : menu->exec(global);
    if (!chosen || !chosen->isEnabled())
        return;
    const int id = chosen->data().toInt();
    if (id == 32776)
        OnMenuCommand(id);
    else
        OnGroupCommand(id);
}

void CCorvelaneDlg::OnGroupCommand(int id) {
    if (m_closing)
        return;
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!item)
        return;
    const qint64 code = TreeItemData(item);
    if (code >= node::kFirstFixedNode)
        return;
    m_currentGroup = int(code);
    switch (id) {
    case 10001:
        AddGroupUnder(item);
        break;
    case 10002:
        if (IsGroupCode(code))
            DeleteGroupNode(item);
        break;
    case 10003:
        if (IsGroupCode(code) && !RefuseIfRightDenied(kRenameRight)) {
            m_renameOld = item->text(0);
            m_tree->editItem(item);
        }
        break;
    case 10004:
        if (IsGroupCode(code) && !RefuseIfRightDenied(kNewContactRight))
            OpenNewContactEditor(this, int(code));
        break;
    case 10005:
        if (!RefuseIfRightDenied(kMoveRight)) {
            CDlgChooseGroup chooser(this);
            chooser.m_treeMode = 1;
            chooser.m_currentGroup = code;
            if (RunModal(chooser) == 1003)
                FillMainTree();
        }
        break;
    case 32776:
        if (IsGroupCode(code))
            OnMenuCommand(id);
        break;
    case 10006:
    case 10007:
        SyncWithCloud(id == 10006);
        break;
    default:
        break;
    }
}

void CCorvelaneDlg::SyncWithCloud(bool upload) {
    if (RefuseIfRightDenied(upload ? kCloudUploadRight : kCloudDownloadRight))
        return;
    if (ShowMessageBox(LoadStr(upload ? 344 : 348), mb::YesNo | mb::IconWarning, LoadStr(345)) != IDYES)
        return;
    if (!g_pDB) {
        OnCloudSyncDone(upload, CloudCopyResult{});
        return;
    }
    QPointer<CCorvelaneDlg> self(this);
    RunJob([self, upload] {
        // A connection of the worker's own: the window's stays free meanwhile.
        sqlite3* db = OpenConnection(SystemDatabasePath());
        const CloudCopyResult result = upload ? SyncLocal2Remote(db) : SyncRemote2Local(db);
        if (db)
            CloseConnection(db);
        QMetaObject::invokeMethod(
            qApp,
            [self, upload, result] {
                if (self && !self->m_closing)
                    self->OnCloudSyncDone(upload, result);
            },
            Qt::QueuedConnection);
    });
}

void CCorvelaneDlg::OnCloudSyncDone(bool upload, const CloudCopyResult& result) {
    if (!result.message.isEmpty())
        ShowMessageBox(result.message, mb::Ok | mb::IconWarning);
    if (result.ok && !upload) {
        // Groups, fields and contacts all came from the copy.
        FillMainTree();
        if (QWidget* view = m_views[129])
            static_cast<CDlgContactFrame*>(view)->ReloadFields();
    }
    const unsigned buttons = upload ? mb::Ok : mb::OkCancel;
    if (result.ok)
        ShowMessageBox(LoadStr(346), buttons | mb::IconInformation);
    else
        ShowMessageBox(LoadStr(347), buttons | mb::IconError);
}

void CCorvelaneDlg::AddGroupUnder(QTreeWidgetItem* item) {
    if (RefuseIfRightDenied(kAddRight))
        return;
    CDlgAddGroup dialog(this);
    if (RunModal(dialog) != 1003)
        return;
    const QString name = dialog.m_text;
    if (GroupNameExists(name, m_tree->topLevelItem(0))) {
        ShowMessageBox(LoadStr(342), mb::Ok | mb::IconError);
        return;
    }
    qint64 id = 0;
    if (!GroupSql(item, 0, name, &id)) {
        ShowMessageBox(Tr("新建分组失败!"), mb::Ok | mb::IconError);
        return;
    }
    auto* added = new QTreeWidgetItem(item, QStringList{name});
    added->setData(0, kTreeItemDataRole, id);
    added->setFlags(added->flags() | Qt::ItemIsEditable);
}

void CCorvelaneDlg::DeleteGroupNode(QTreeWidgetItem* item) {
    if (RefuseIfRightDenied(kDeleteRight))
        return;
    // Subgroups stored since the tree was filled count as well: they go too.
    const bool hasSubgroups = item->childCount() > 0 || !GroupDescendants(TreeItemData(item)).empty();
    if (hasSubgroups && ShowMessageBox(LoadStr(343), mb::YesNo | mb::IconQuestion) != IDYES)
        return;
    if (!GroupSql(item, 1)) {
        ShowMessageBox(Tr("删除分组失败!"), mb::Ok | mb::IconError);
        return;
    }
    delete item;
}

bool CCorvelaneDlg::GroupSql(QTreeWidgetItem* item, int operation, const QString& name, qint64* newId) {
    const qint64 code = TreeItemData(item);
    switch (operation) {
    case 0: {
        const qint64 id = AddGroup(name, code);
        if (newId)
            *newId = id;
        return id > 0;
    }
    case 1:
        return DeleteGroupTree(code);
    case 2:
        return RenameGroup(code, name);
    default:
        return false;
    }
}

// ---- label editing ---------------------------------------------------------------------

bool CCorvelaneDlg::OnBeginLabelEdit(QTreeWidgetItem* item) {
    if (!item || !IsGroupCode(TreeItemData(item)))
        return false;
    // Taken here, so F2 and a click on the selected group compare with the
    // name the edit started from, as the menu's rename does.
    m_renameOld = item->text(0);
    return true;
}

void CCorvelaneDlg::OnEndLabelEdit(QTreeWidgetItem* item, const QString& text) {
    if (!item || m_closing || !IsGroupCode(TreeItemData(item)))
        return;
    const QString name = text.trimmed();
    if (name.isEmpty()) {
        ShowMessageBox(Tr("内容不能为空."), mb::Ok | mb::IconWarning);
        return;
    }
    if (name != m_renameOld && GroupNameExists(name, m_tree->topLevelItem(0))) {
        ShowMessageBox(LoadStr(349), mb::Ok | mb::IconError);
        return;
    }
    if (!GroupSql(item, 2, name)) {
        ShowMessageBox(Tr("重命名失败!"), mb::Ok | mb::IconError);
        return;
    }
    item->setText(0, name);
    // The pane's caption names the selected group's path, which may run
    // through the renamed node.
    if (QTreeWidgetItem* current = m_tree->currentItem(); current && IsGroupCode(TreeItemData(current))) {
        m_groupCaption = GroupCaption(NodePath(current));
        ContactPane()->SetGroupCaption(m_groupCaption);
    }
}
