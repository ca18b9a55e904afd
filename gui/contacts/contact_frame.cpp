#include "gui/contacts/contact_frame.h"

#include "contacts/contact_record.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/channels/send_email_dialog.h"
#include "gui/channels/send_fax_dialog.h"
#include "gui/channels/send_mms_dialog.h"
#include "gui/channels/send_sound_dialog.h"
#include "gui/contacts/add_field_dialog.h"
#include "gui/contacts/address_list_dialog.h"
#include "gui/contacts/alter_field_order_dialog.h"
#include "gui/contacts/choose_group_dialog.h"
#include "gui/contacts/contact_editor.h"
#include "gui/main/gui_globals.h"
#include "gui/main/main_window.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_contact_frame.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <algorithm>

namespace {

// The address-list picker as the pane's query window: its OK sends an SMS
// to the contacts ticked there.
void OpenQueryPicker(QWidget* parent) {
    CDlgAddressList picker(parent);
    picker.m_queryMode = true;
    RunModal(picker);
}

std::function<void(QWidget*)>& QueryOpener() {
    static std::function<void(QWidget*)> opener = OpenQueryPicker;
    return opener;
}

QString Tr(const char* text) {
    return QCoreApplication::translate("CDlgContactFrame", text);
}

// Deletes the rows in batches of bound rowids inside the caller's
// transaction; `groupId` > 0 keeps the delete inside that group.
bool DeleteRowids(const std::vector<qint64>& rowids, int groupId) {
    constexpr size_t kBatch = 500;
    for (size_t at = 0; at < rowids.size(); at += kBatch) {
        const size_t n = std::min(kBatch, rowids.size() - at);
        std::string sql = "DELETE FROM  ContactList  WHERE rowid IN(" + SqlParameterList(n) + ")";
        if (groupId > 0)
            sql += " AND groupID=?";
        SqlStatement st(g_pDB, sql);
        if (!st.ok())
            return false;
        for (size_t i = 0; i < n; ++i)
            st.bind(static_cast<int>(i) + 1, static_cast<int64_t>(rowids[at + i]));
        if (groupId > 0)
            st.bind(static_cast<int>(n) + 1, groupId);
        if (st.exec() != SQLITE_OK)
            return false;
    }
    return true;
}

} // namespace

CDlgContactFrame::CDlgContactFrame(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgContactFrame>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    // The caption and the two counts speak in the dialogs' shared font.
    for (const char* id : {"1040", "1042", "1043"})
        if (auto* label = findChild<QLabel*>(QLatin1String(id)))
            label->setFont(g_fontNormal);
    setWindowFlags(Qt::Widget);

    CVirtualListCtrl* list = m_ui->list;
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->InitToolTips();
    list->SetOwner(this);
    connect(list, &QAbstractItemView::clicked, this, &CDlgContactFrame::OnRowClicked);
    connect(list, &QAbstractItemView::doubleClicked, this, &CDlgContactFrame::OnRowDoubleClicked);
    connect(list, &QWidget::customContextMenuRequested, this, &CDlgContactFrame::OnContextMenu);

    const std::pair<QPushButton*, int> buttons[] = {
        {m_ui->addContact, 1003},   {m_ui->query, 21004},      {m_ui->customFields, 1005},
        {m_ui->fieldDisplay, 1006}, {m_ui->sendSms, 1007},     {m_ui->selectAll, 1008},
        {m_ui->invert, 1009},       {m_ui->showContact, 1010}, {m_ui->deleteContacts, 1011},
        {m_ui->duplicates, 1012},
    };
    for (const auto& [button, id] : buttons)
        connect(button, &QPushButton::clicked, this, [this, id = id] { OnCommand(id); });

    VisibleFieldRegistry::Rebuild(g_pDB);
    BuildColumns();
    UpdateButtons();
}

CDlgContactFrame::~CDlgContactFrame() {
    m_ui->list->SetOwner(nullptr);
}

CVirtualListCtrl* CDlgContactFrame::List() const {
    return m_ui->list;
}

QPushButton* CDlgContactFrame::Button(int id) const {
    return findChild<QPushButton*>(QString::number(id));
}

void CDlgContactFrame::SetQueryOpener(std::function<void(QWidget*)> opener) {
    QueryOpener() = std::move(opener);
}

void CDlgContactFrame::closeEvent(QCloseEvent* event) {
    // The pane lives as long as the main window; closing only hides it.
    event->accept();
    hide();
}

void CDlgContactFrame::SetGroupCaption(const QString& text) {
    m_ui->caption->setText(text);
}

void CDlgContactFrame::BuildColumns() {
    CVirtualListCtrl* list = m_ui->list;
    list->SetItemCount(0);
    while (list->DeleteColumn(0)) {
    }
    list->InsertColumn(0, Tr("选择"), 50);
    list->InsertColumn(1, Tr("序号"), 50);
    const std::vector<VisibleField>& fields = VisibleFieldRegistry::Fields();
    for (size_t i = 0; i < fields.size(); ++i)
        list->InsertColumn(static_cast<int>(i) + 2, fields[i].name, 100);
    const int mobile = VisibleFieldRegistry::IndexOfName(QStringLiteral("手机或小灵通"));
    m_mobileNameColumn = mobile < 0 ? 0 : mobile + 2;
}

void CDlgContactFrame::QueryContacts(int groupId, bool duplicates, int sortColumn) {
    m_groupId = groupId;
    m_duplicatesMode = duplicates;
    const SortState::Kind kind = duplicates ? SortState::Kind::Duplicates : SortState::Kind::Normal;
    SortState& state = SortState::Pane(kind);
    const std::vector<VisibleField>& fields = VisibleFieldRegistry::Fields();
    QString order;
    if (sortColumn < 2 || sortColumn - 2 >= static_cast<int>(fields.size())) {
        state.Reset();
        order = QString::fromLatin1(duplicates ? kDuplicatesContactOrder : kDefaultContactOrder);
        m_ui->list->ClearSortArrow();
    } else {
        order = state.Click(sortColumn, fields[sortColumn - 2].nameOfValue, kind);
        m_ui->list->SetSortArrow(sortColumn, state.Direction());
    }
    RunQuery(order);
}

void CDlgContactFrame::Requery() {
    QueryContacts(m_groupId, m_duplicatesMode, -1);
}

void CDlgContactFrame::RunQuery(const QString& orderBy) {
    Button(1012)->setText(m_duplicatesMode ? LoadStr(365) : LoadStr(363));
    m_currentOrder = orderBy;
    m_currentRow = -1;
    m_toggledByBox = -1;

    const ContactListQuery q =
        BuildContactListQuery(m_groupId, m_duplicatesMode, orderBy, VisibleFieldRegistry::Fields());
    m_listSql = q.listSql;
    m_mobileColumn = q.mobileColumn;
    m_selection = ContactSelection(m_listSql);

    // Duplicates: every repetition of a number after its first arrives
    // ticked, in the one pass that fixes the list's order.
    QString passColumn;
    QString previous;
    bool first = true;
    if (m_duplicatesMode && m_mobileNameColumn >= 2)
        passColumn = VisibleFieldRegistry::Fields()[m_mobileNameColumn - 2].nameOfValue;
    const auto visit = [&](int, qint64 rowid, SqlStatement& st) {
        const QString number = st.qtext(1);
        if (!first && number == previous)
            m_selection.Tick(rowid, true);
        previous = number;
        first = false;
    };

    bool ok;
    if (!passColumn.isEmpty())
        ok = m_rows.Open(g_pDB, m_listSql, q.order, q.countSql, {}, passColumn, visit);
    else
        ok = m_rows.Open(g_pDB, m_listSql, q.order, q.countSql);
    if (!ok)
        LogWriteString(g_logRun, QStringLiteral("初始化联系人列表出错了"));
    VisibleFieldRegistry::SetListRowCount(m_rows.Count());
    m_ui->list->SetItemCount(m_rows.Count());
    m_ui->list->RedrawItems();
    m_ui->total->setText(QString::number(m_rows.Count()));
    UpdateCounts();
    UpdateButtons();
}

void CDlgContactFrame::UpdateButtons() {
    const int total = m_rows.Count();
    for (int id : {1008, 1009, 1010, 1011})
        Button(id)->setEnabled(total >= 1);
    // A duplicates view must always be left again, even with few rows.
    Button(1012)->setEnabled(total >= 2 || m_duplicatesMode);
    if (total >= 1 && AllTicked())
        Button(1008)->setEnabled(false);
}

int CDlgContactFrame::TickedCount() const {
    if (!m_selection.AllExcept())
        return static_cast<int>(m_selection.Rowids().size());
    return std::max(0, m_rows.Count() - static_cast<int>(m_selection.Rowids().size()));
}

bool CDlgContactFrame::AllTicked() const {
    return m_rows.Count() > 0 && TickedCount() >= m_rows.Count();
}

void CDlgContactFrame::UpdateCounts() {
    m_ui->ticked->setText(QString::number(TickedCount()));
    if (m_rows.Count() > 0)
        Button(1008)->setEnabled(!AllTicked());
}

bool CDlgContactFrame::IsRowTicked(int row) {
    const qint64 rowid = m_rows.Rowid(row);
    return rowid != 0 && m_selection.IsTicked(rowid);
}

void CDlgContactFrame::TickRow(int row, bool ticked) {
    const qint64 rowid = m_rows.Rowid(row);
    if (rowid == 0)
        return;
    m_selection.Tick(rowid, ticked);
    UpdateCounts();
    m_ui->list->RedrawItems();
}

void CDlgContactFrame::LoadRows(int row) {
    m_rows.Load(row);
}

void CDlgContactFrame::CacheHint(int first, int last) {
    m_rows.Hint(first, last);
}

QString CDlgContactFrame::CellText(int row, int column) {
    if (column == 0)
        return {};
    if (column == 1)
        return QString::number(row + 1);
    const QString text = m_rows.CellText(row, column);
    // Column c shows fetched column c; the fields start at list column 2.
    if (m_mobileColumn > 0 && column == m_mobileColumn + 1)
        return MaskNumber(text);
    return text;
}

std::optional<bool> CDlgContactFrame::CellChecked(int row, int column) {
    if (column != 0)
        return std::nullopt;
    return IsRowTicked(row);
}

void CDlgContactFrame::SetCellChecked(int row, int column, bool checked) {
    if (column != 0)
        return;
    m_toggledByBox = row;
    TickRow(row, checked);
}

bool CDlgContactFrame::HeaderClicked(int column) {
    // "选择" and "序号" never sort; the arrow is ours either way.
    if (column > 1)
        QueryContacts(m_groupId, m_duplicatesMode, column);
    return true;
}

void CDlgContactFrame::OnRowClicked(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const int row = index.row();
    // The check box has set the tick already.
    if (m_toggledByBox == row) {
        m_toggledByBox = -1;
        return;
    }
    m_toggledByBox = -1;
    TickRow(row, !IsRowTicked(row));
}

void CDlgContactFrame::OnRowDoubleClicked(const QModelIndex& index) {
    if (index.isValid())
        OpenRow(index.row());
}

void CDlgContactFrame::SelectRange(int from, int to, bool tick) {
    const int lo = std::min(from, to);
    const int hi = std::max(from, to);
    m_rows.ForEachRowid(lo, hi, [&](int, qint64 rowid) { m_selection.Tick(rowid, tick); });
    m_ui->list->RedrawItems();
    UpdateCounts();
}

std::vector<qint64> CDlgContactFrame::TickedRowids() const {
    std::vector<qint64> rowids;
    if (m_selection.IsEmpty())
        return rowids;
    if (!m_selection.ForEachTicked(g_pDB, QStringLiteral("perNO"), [&](SqlStatement&, qint64 rowid) {
            rowids.push_back(rowid);
            return true;
        }))
        LogWriteString(g_logRun, QStringLiteral("出错了"));
    return rowids;
}

void CDlgContactFrame::OnContextMenu(const QPoint& pos) {
    const QModelIndex index = m_ui->list->indexAt(pos);
    std::unique_ptr<QMenu> menu = CreateContextMenu(index.isValid() ? index.row() : -1);
    QAction* chosen = menu->exec(m_ui->list->viewport()->mapToGlobal(pos));
    if (chosen && chosen->isEnabled())
        OnCommand(chosen->objectName().toInt());
}

std::unique_ptr<QMenu> CDlgContactFrame::CreateContextMenu(int row) {
    const int ticked = TickedCount();
    const int total = m_rows.Count();
    const bool onEmpty = row < 0;
    if (!onEmpty) {
        m_currentRow = row;
    } else if (ticked == 1) {
        const std::vector<qint64> rowids = TickedRowids();
        m_currentRow = -1;
        if (!rowids.empty())
            m_rows.ForEachRowid(0, total - 1, [&](int r, qint64 rowid) {
                if (rowid == rowids.front())
                    m_currentRow = r;
            });
    }
    const bool noRow = onEmpty && ticked != 1;
    const bool allTicked = total > 0 && ticked >= total;
    const QString duplicatesText = Button(1012)->text();
    const bool duplicatesGrey = total < 2 && duplicatesText.contains(QStringLiteral("数据"));

    auto menu = std::make_unique<QMenu>(this);
    const auto add = [](QMenu* m, int id, const QString& text, bool grey) {
        QAction* a = m->addAction(text);
        a->setObjectName(QString::number(id));
        a->setEnabled(!grey);
        return a;
    };
    add(menu.get(), 10001, Tr("打开联系人"), noRow);
    menu->addSeparator();
    QMenu* groups = menu->addMenu(Tr("组管理"));
    groups->setObjectName(QStringLiteral("groupMenu"));
    groups->setEnabled(ticked > 0);
    add(groups, 10002, Tr("复制到组"), ticked == 0);
    add(groups, 10003, Tr("移动到组"), ticked == 0);
    QMenu* send = menu->addMenu(Tr("向所选联系人"));
    send->setObjectName(QStringLiteral("sendMenu"));
    send->setEnabled(ticked > 0);
    add(send, 10004, Tr("发送短信"), ticked == 0);
    add(send, 10005, Tr("发送传真"), ticked == 0);
    add(send, 10006, Tr("发送邮件"), ticked == 0);
    add(send, 10007, Tr("发送彩信"), ticked == 0);
    add(send, 10008, Tr("发送语音"), ticked == 0);
    menu->addSeparator();
    add(menu.get(), 10010, Tr("删除所选联系人"), ticked == 0);
    menu->addSeparator();
    add(menu.get(), 10011, duplicatesText, duplicatesGrey);
    add(menu.get(), 10012, Tr("过滤非法号码"), false);
    menu->addSeparator();
    QMenu* multi = menu->addMenu(Tr("多行选择(取消)"));
    multi->setObjectName(QStringLiteral("multiMenu"));
    multi->setEnabled(!duplicatesGrey);
    add(multi, 10013, Tr("全选"), allTicked);
    add(multi, 10014, Tr("反选"), false);
    multi->addSeparator();
    add(multi, 10015, Tr("行上全选"), noRow || allTicked);
    add(multi, 10016, Tr("行下全选"), noRow || allTicked);
    multi->addSeparator();
    add(multi, 10017, Tr("行上全不选"), noRow);
    add(multi, 10018, Tr("行下全不选"), noRow);
    multi->addSeparator();
    add(multi, 10019, Tr("(两)行间全选"), ticked != 2);
    add(multi, 10020, Tr("全不选"), ticked == 0);
    add(menu.get(), 10021, Tr("将所选联系人置顶"), ticked == 0);
    add(menu.get(), 10022, Tr("上移"), noRow);
    add(menu.get(), 10023, Tr("下移"), noRow);
    return menu;
}

void CDlgContactFrame::OnCommand(int id) {
    const int total = m_rows.Count();
    switch (id) {
    case 1003:
        if (RefuseIfRightDenied(1))
            return;
        if (OpenNewContactEditor(this, m_groupId > 0 ? m_groupId : -1) == 1003)
            Requery();
        return;
    case 21004:
        if (QueryOpener())
            QueryOpener()(this);
        // The picker may have deleted contacts or made initials.
        Requery();
        return;
    case 1005:
    case 1006:
        RunFieldDialog(id);
        return;
    case 1007:
    case 10004:
    case 10005:
    case 10006:
    case 10007:
    case 10008:
        OpenComposer(id);
        return;
    case 1008:
    case 10013:
        if (total > 0)
            m_selection.TickAll();
        break;
    case 1009:
    case 10014: {
        // "All except" and "only these" swap over the same set of rows.
        const std::unordered_set<qint64> rows = m_selection.Rowids();
        const bool wasAllExcept = m_selection.AllExcept();
        if (wasAllExcept)
            m_selection.Clear();
        else
            m_selection.TickAll();
        for (qint64 rowid : rows)
            m_selection.Tick(rowid, wasAllExcept);
        break;
    }
    case 1010:
        if (RefuseIfRightDenied(3))
            return;
        OpenTickedRow();
        return;
    case 1011:
    case 10010:
        DeleteTicked();
        return;
    case 1012:
    case 10011:
        ToggleDuplicates();
        return;
    case 10012:
        FilterIllegalNumbers();
        return;
    case 10001:
        OpenRow(m_currentRow);
        return;
    case 10002:
    case 10003:
        CopyOrMove(id == 10003);
        return;
    case 10015:
        if (m_currentRow >= 0)
            SelectRange(0, m_currentRow, true);
        return;
    case 10016:
        if (m_currentRow >= 0)
            SelectRange(m_currentRow, total - 1, true);
        return;
    case 10017:
        if (m_currentRow >= 0)
            SelectRange(0, m_currentRow, false);
        return;
    case 10018:
        if (m_currentRow >= 0)
            SelectRange(m_currentRow, total - 1, false);
        return;
    case 10019: {
        const std::vector<qint64> rowids = TickedRowids();
        if (rowids.size() != 2)
            return;
        int lo = -1, hi = -1;
        m_rows.ForEachRowid(0, total - 1, [&](int r, qint64 rowid) {
            if (rowid == rowids[0])
                lo = r;
            if (rowid == rowids[1])
                hi = r;
        });
        if (lo >= 0 && hi >= 0)
            SelectRange(lo, hi, true);
        return;
    }
    case 10020:
        m_selection.Clear();
        break;
    case 10021:
        MoveSelectedToTop();
        return;
    case 10022:
        MoveCurrent(-1);
        return;
    case 10023:
        MoveCurrent(1);
        return;
    default:
        return;
    }
    m_ui->list->RedrawItems();
    UpdateCounts();
}

void CDlgContactFrame::OpenRow(int row) {
    const qint64 rowid = m_rows.Rowid(row);
    if (rowid == 0)
        return;
    if (OpenContactEditor(this, rowid) == 1003)
        Requery();
}

void CDlgContactFrame::OpenTickedRow() {
    if (TickedCount() != 1) {
        ShowMessageBox(LoadStr(179), mb::Ok | mb::IconWarning);
        return;
    }
    const std::vector<qint64> rowids = TickedRowids();
    if (rowids.size() == 1 && OpenContactEditor(this, rowids.front()) == 1003)
        Requery();
}

int CDlgContactFrame::ShowContactInfo(qint64 perNO) {
    const int result = OpenContactEditorForPerNo(this, perNO);
    if (result == 1003)
        Requery();
    return result;
}

void CDlgContactFrame::OpenComposer(int id) {
    switch (id) {
    case 1007:
    case 10004: {
        CDlgSendSMS dialog(nullptr, 1);
        dialog.SetRecipientSource(&m_selection);
        RunModal(dialog);
        return;
    }
    case 10005: {
        // The fax and e-mail composers get the pane's list of texts, which
        // it never fills: they open without recipients.
        CDlgSendFax dialog(this);
        dialog.SetNumbers({});
        RunModal(dialog);
        return;
    }
    case 10006: {
        CDlgSendEmail dialog(this);
        dialog.SetAddresses({});
        RunModal(dialog);
        return;
    }
    case 10007: {
        CDlgSendMMS dialog(this);
        dialog.SetRecipientSource(&m_selection);
        RunModal(dialog);
        return;
    }
    case 10008: {
        CDlgSendSound dialog(this);
        dialog.SetRecipientSource(&m_selection);
        RunModal(dialog);
        return;
    }
    default:
        return;
    }
}

void CDlgContactFrame::CopyOrMove(bool move) {
    if (RefuseIfRightDenied(4))
        return;
    CDlgChooseGroup dialog(this);
    dialog.m_treeMode = 0;
    dialog.m_moveContacts = move;
    dialog.m_currentGroup = m_groupId;
    dialog.m_selection = &m_selection;
    if (RunModal(dialog) == 1003)
        Requery();
}

void CDlgContactFrame::RunFieldDialog(int id) {
    int result;
    if (id == 1005) {
        CDlgAddField dialog(this);
        result = RunModal(dialog);
    } else {
        CDlgAlterFieldOrder dialog(this);
        result = RunModal(dialog);
    }
    if (result == 1003)
        ReloadFields();
}

void CDlgContactFrame::ReloadFields() {
    VisibleFieldRegistry::Rebuild(g_pDB);
    SortState::Pane(SortState::Kind::Normal).Reset();
    SortState::Pane(SortState::Kind::Duplicates).Reset();
    BuildColumns();
    Requery();
}

void CDlgContactFrame::DeleteTicked() {
    if (RefuseIfRightDenied(2))
        return;
    const int ticked = TickedCount();
    if (ticked == 0) {
        ShowMessageBox(LoadStr(154), mb::Ok | mb::IconWarning);
        return;
    }
    if (!ConfirmDeleteCount(ticked))
        return;
    LogWriteString(g_logRun, QStringLiteral("删除了 %1 条 联系人").arg(ticked));
    g_hStatusBar(2, LoadStr(185));
    const std::vector<qint64> rowids = TickedRowids();
    SqlTransaction tx(g_pDB);
    if (!tx.active() || !DeleteRowids(rowids, m_groupId) || tx.commit() != SQLITE_OK) {
        tx.rollback();
        LogWriteString(g_logRun, QStringLiteral("删除联系人固定字段出错了"));
    }
    QueryContacts(m_groupId, false, -1);
    g_hStatusBar(2, QString());
}

void CDlgContactFrame::ToggleDuplicates() {
    g_hStatusBar(2, LoadStr(185));
    const bool duplicates = Button(1012)->text() == LoadStr(363);
    QueryContacts(m_groupId, duplicates, -1);
    g_hStatusBar(2, QString());
    Button(1012)->setEnabled(true);
}

void CDlgContactFrame::FilterIllegalNumbers() {
    // It deletes contacts, so it needs the delete right.
    if (RefuseIfRightDenied(2))
        return;
    if (ShowMessageBox(LoadStr(184), mb::YesNo | mb::IconQuestion) != IDYES)
        return;
    g_hStatusBar(2, LoadStr(185));
    std::vector<qint64> rowids;
    QStringList numbers;
    {
        SqlStatement st(g_pDB, m_groupId > 0 ? "SELECT rowid, mobileNum FROM contactList WHERE groupID=?"
                                             : "SELECT rowid, mobileNum FROM contactList");
        if (m_groupId > 0)
            st.bind(1, m_groupId);
        int rc = SQLITE_ERROR;
        if (st.ok())
            while ((rc = st.step()) == SQLITE_ROW) {
                const QString number = st.qtext(1);
                if (!IsLegalNumber(number)) {
                    rowids.push_back(st.int64(0));
                    numbers << number;
                }
            }
        if (rc != SQLITE_DONE) {
            LogWriteString(g_logRun, QStringLiteral("过滤非法号码时获取手机号码出错了"));
            g_hStatusBar(2, QString());
            return;
        }
    }
    bool ok = true;
    if (!rowids.empty()) {
        LogWrite(g_logRun, "过滤掉的非法号码是：" + LogEscape(numbers.join(QLatin1Char(','))));
        SqlTransaction tx(g_pDB);
        ok = tx.active() && DeleteRowids(rowids, 0) && tx.commit() == SQLITE_OK;
        if (!ok) {
            tx.rollback();
            LogWriteString(g_logRun, QStringLiteral("删除非法手机号码出错了"));
        }
    }
    if (ok) {
        QString text = Tr("删除非法号码%d个");
        text.replace(QLatin1String("%d"), QString::number(rowids.size()));
        ShowMessageBox(text, mb::Ok | mb::IconInformation);
    }
    QueryContacts(m_groupId, false, -1);
    g_hStatusBar(2, QString());
}

bool CDlgContactFrame::MoveSelectedToTop() {
    qint64 m = 0;
    {
        SqlStatement st(g_pDB, "SELECT MIN(displayIndex) FROM ContactList");
        if (st.step() == SQLITE_ROW && !st.isNull(0))
            m = st.int64(0);
    }
    const std::vector<qint64> rowids = TickedRowids();
    if (rowids.empty())
        return false;
    SqlTransaction tx(g_pDB);
    bool ok = tx.active();
    SqlStatement st(g_pDB, "UPDATE  ContactList SET displayIndex=? WHERE rowid=?");
    ok = ok && st.ok();
    // In list order: the first ticked row ends up nearest the top.
    const qint64 n = static_cast<qint64>(rowids.size());
    for (qint64 i = 0; ok && i < n; ++i) {
        st.reset();
        st.bind(1, static_cast<int64_t>(m - n + i)).bind(2, static_cast<int64_t>(rowids[i]));
        ok = st.exec() == SQLITE_OK;
    }
    ok = ok && tx.commit() == SQLITE_OK;
    if (!ok)
        tx.rollback();
    QueryContacts(m_groupId, m_duplicatesMode, -1);
    return ok;
}

void CDlgContactFrame::MoveCurrent(int step) {
    const int row = m_currentRow;
    const int other = row + step;
    if (row < 0 || other < 0 || other >= m_rows.Count())
        return;
    std::lock_guard lock(m_rows.Mutex());
    if (!m_rows.IsCached(row) || !m_rows.IsCached(other))
        return;
    const QString a = m_rows.CellText(row, 1);
    const QString b = m_rows.CellText(other, 1);
    const qint64 rowA = m_rows.Rowid(row);
    const qint64 rowB = m_rows.Rowid(other);
    SqlTransaction tx(g_pDB);
    SqlStatement st(g_pDB, "UPDATE  ContactList SET displayIndex=? WHERE rowid=?");
    bool ok = tx.active() && st.ok();
    if (ok) {
        st.bind(1, static_cast<int64_t>(b.toLongLong())).bind(2, static_cast<int64_t>(rowA));
        ok = st.exec() == SQLITE_OK;
    }
    if (ok) {
        st.reset();
        st.bind(1, static_cast<int64_t>(a.toLongLong())).bind(2, static_cast<int64_t>(rowB));
        ok = st.exec() == SQLITE_OK;
    }
    if (!ok || tx.commit() != SQLITE_OK) {
        tx.rollback();
        return;
    }
    m_rows.SetCell(row, 1, b.toStdString());
    m_rows.SetCell(other, 1, a.toStdString());
    // The tick follows the highlighted contact to its new place.
    const bool tickA = m_selection.IsTicked(rowA);
    const bool tickB = m_selection.IsTicked(rowB);
    m_selection.Tick(rowA, tickB);
    m_selection.Tick(rowB, tickA);
    m_currentRow = other;
    const QModelIndex index = m_ui->list->model()->index(other, 0);
    m_ui->list->setCurrentIndex(index);
    m_ui->list->scrollTo(index);
    m_ui->list->RedrawItems();
    UpdateCounts();
}
