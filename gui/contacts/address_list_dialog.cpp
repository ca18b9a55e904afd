#include "gui/contacts/address_list_dialog.h"

#include "contacts/contact_list_query.h"
#include "contacts/pinyin_initials.h"
#include "contacts/xlsx_writer.h"
#include "core/app_globals.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/contacts/contact_editor.h"
#include "gui/main/main_window.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/sms/senior_query_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/tree_helpers.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_address_list_dialog.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

constexpr int kFirstLetterId = 9965;
constexpr int kLastLetterId = 9990;
constexpr int kRowNumberField = 0;

void AddTickBoxes(QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        child->setFlags(child->flags() | Qt::ItemIsUserCheckable);
        child->setCheckState(0, Qt::Unchecked);
        AddTickBoxes(child);
    }
}

} // namespace

CDlgAddressList::CDlgAddressList(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgAddressList>()), m_rows(RowSource::kDefaultBound) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    setWindowTitle(tr("查询"));

    m_treeTimer = new QTimer(this);
    m_treeTimer->setSingleShot(true);
    m_treeTimer->setInterval(5);
    connect(m_treeTimer, &QTimer::timeout, this, [this] { Reload(); });
    connect(m_ui->groupTree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int) {
        if (m_initialized)
            m_treeTimer->start();
    });

    connect(m_ui->queryField, &QComboBox::currentIndexChanged, this, &CDlgAddressList::OnQueryFieldChanged);
    connect(m_ui->query, &QPushButton::clicked, this, [this] { Reload(); });
    connect(m_ui->renumber, &QPushButton::clicked, this, [this] { Reload(); });
    connect(m_ui->selectAll, &QPushButton::clicked, this, &CDlgAddressList::OnSelectAll);
    connect(m_ui->reverse, &QPushButton::clicked, this, &CDlgAddressList::OnReverseSelection);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &CDlgAddressList::OnDelete);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgAddressList::OnOK);
    connect(m_ui->generate, &QPushButton::clicked, this, &CDlgAddressList::OnGenerateInitials);
    connect(m_ui->advancedQuery, &QPushButton::clicked, this, &CDlgAddressList::OnAdvancedQuery);
    for (int id = kFirstLetterId; id <= kLastLetterId; ++id) {
        if (QPushButton* button = LetterButton(id))
            connect(button, &QPushButton::clicked, this, [this, id] { OnLetter(id); });
    }

    CVirtualListCtrl* list = m_ui->contactList;
    list->SetOwner(this);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QAbstractItemView::clicked, this, &CDlgAddressList::OnRowClicked);
    connect(list, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { ShowAndEdit(index.row()); });
    connect(list, &QWidget::customContextMenuRequested, this, &CDlgAddressList::OnContextMenu);
}

CDlgAddressList::~CDlgAddressList() {
    m_ui->contactList->SetOwner(nullptr);
}

CVirtualListCtrl* CDlgAddressList::List() const {
    return m_ui->contactList;
}

QPushButton* CDlgAddressList::LetterButton(int id) const {
    return findChild<QPushButton*>(QString::number(id));
}

void CDlgAddressList::showEvent(QShowEvent* event) {
    if (!m_initialized)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CDlgAddressList::reject() {
    done(IDCANCEL);
}

PickerMode CDlgAddressList::Mode() const {
    if (m_forFax)
        return PickerMode::Fax;
    if (m_forEmail)
        return PickerMode::Email;
    if (m_forMms)
        return PickerMode::Mms;
    if (m_forVoice)
        return PickerMode::Voice;
    if (m_forTask)
        return PickerMode::Task;
    if (m_queryMode)
        return PickerMode::Query;
    return PickerMode::Sms;
}

void CDlgAddressList::OnInitDialog() {
    m_initialized = true;
    m_groupNames.clear();
    {
        SqlStatement groups(g_pDB, "SELECT GroupID,GroupName FROM ContactGroup");
        while (groups.ok() && groups.step() == SQLITE_ROW)
            m_groupNames[groups.int64(0)] = groups.qtext(1);
    }

    QTreeWidget* tree = m_ui->groupTree;
    const QSignalBlocker blockTree(tree);
    tree->clear();
    auto* root = new QTreeWidgetItem(tree, QStringList{tr("联系人")});
    root->setData(0, kTreeItemDataRole, 0);
    FillGroupTree(tree);
    AddTickBoxes(tree->invisibleRootItem());
    tree->expandAll();

    VisibleFieldRegistry::Rebuild();
    m_fieldColumns = VisibleFieldRegistry::ColumnNames();
    m_fieldNames = VisibleFieldRegistry::DisplayNames();
    {
        const QSignalBlocker blockField(m_ui->queryField);
        m_ui->queryField->clear();
        m_ui->queryField->addItem(tr("序号"), 0);
        for (const VisibleField& field : VisibleFieldRegistry::Fields())
            m_ui->queryField->addItem(field.name, field.fieldId);
        m_ui->queryField->setCurrentIndex(m_ui->queryField->count() > 1 ? 1 : 0);
    }
    m_ui->condition->clear();
    for (int i = 0; i < kFieldConditionCount; ++i)
        m_ui->condition->addItem(tr(FieldConditionText(static_cast<FieldCondition>(i))));
    m_ui->condition->setCurrentIndex(static_cast<int>(FieldCondition::Contains));
    OnQueryFieldChanged(m_ui->queryField->currentIndex());

    if (m_queryMode)
        m_ui->ok->setText(tr("发送短信"));

    CVirtualListCtrl* list = m_ui->contactList;
    list->InsertColumn(0, tr("选择"), 50);
    list->InsertColumn(1, tr("序号"), 50);
    list->InsertColumn(2, tr("所属分组"), 100);
    for (int i = 0; i < m_fieldNames.size(); ++i)
        list->InsertColumn(3 + i, m_fieldNames[i], 100);

    PickerSortState().Reset();
    Reload();

    m_missingInitials = HasContactsWithoutInitials();
    m_ui->generate->setEnabled(m_missingInitials);
}

void CDlgAddressList::OnQueryFieldChanged(int index) {
    const bool rowNumbers = index == kRowNumberField;
    m_ui->rangeLabel->setVisible(rowNumbers);
    m_ui->rangeEnd->setVisible(rowNumbers);
    m_ui->condition->setEnabled(!rowNumbers);
}

void CDlgAddressList::Reload(QChar letter) {
    AddressListInputs inputs;
    QList<qint64> groups;
    GetCheckedTreeItems(m_ui->groupTree, nullptr, groups);
    inputs.tickedGroups.assign(groups.begin(), groups.end());
    inputs.letter = letter;
    inputs.queryField = m_ui->queryField->currentIndex();
    inputs.condition = static_cast<FieldCondition>(std::max(0, m_ui->condition->currentIndex()));
    inputs.content = m_ui->content->text();
    inputs.rangeEnd = m_ui->rangeEnd->text();

    QString condition;
    std::optional<RowNumberRange> range;
    if (m_filter.Build(inputs, m_fieldColumns, condition, range) == RowRangeResult::Invalid) {
        ShowMessageBox(LoadStr(158), mb::Ok | mb::IconWarning);
        return;
    }
    m_condition = condition;
    m_range = range;
    QueryList(-1);
}

void CDlgAddressList::QueryList(int sortColumn) {
    SortState& sort = PickerSortState();
    CVirtualListCtrl* list = m_ui->contactList;
    if (sortColumn < 0) {
        sort.Reset();
        m_orderClause = QString::fromLatin1(kDefaultContactOrder);
        list->ClearSortArrow();
    } else if (const std::optional<QString> column = PickerSortColumn(sortColumn, m_fieldColumns)) {
        m_orderClause = sort.Click(sortColumn, *column);
    } else if (sortColumn != kKeepOrder) {
        return;
    }
    m_query = BuildAddressListQuery(m_fieldColumns, m_condition, m_orderClause, m_range);
    // A new query ticks nothing: row numbers of the old list mean other contacts now.
    m_selection = ContactSelection(m_query.listSql);

    RowSource::Range range;
    if (m_range) {
        range.offset = m_range->start - 1;
        range.limit =
            m_range->end ? std::max<qint64>(0, static_cast<qint64>(*m_range->end) - m_range->start + 1) : -1;
    }
    if (!m_rows.Open(g_pDB, m_query.unrangedSql, m_query.indexedOrder ? RowOrder::Paged : RowOrder::Fixed,
                     m_query.countSql, range))
        LogWrite(g_logRun, "查询界面加载联系人列表出错了");
    const int count = m_rows.Count();
    list->SetItemCount(count);
    list->RedrawItems();

    const bool hasRows = count > 0;
    m_ui->total->setText(QString::number(count));
    for (QWidget* w : {static_cast<QWidget*>(m_ui->ok), static_cast<QWidget*>(m_ui->renumber),
                       static_cast<QWidget*>(m_ui->selectAll), static_cast<QWidget*>(m_ui->reverse),
                       static_cast<QWidget*>(m_ui->deleteButton)})
        w->setEnabled(hasRows);
    if (!m_condition.contains(QLatin1String("firstLetter"))) {
        for (int id = kFirstLetterId; id <= kLastLetterId; ++id)
            if (QPushButton* button = LetterButton(id))
                button->setEnabled(hasRows);
    }
    ShowCounts();
}

qint64 CDlgAddressList::TickedCount() const {
    const qint64 listed = m_rows.Count();
    const qint64 marked = static_cast<qint64>(m_selection.Rowids().size());
    return m_selection.AllExcept() ? std::max<qint64>(0, listed - marked) : marked;
}

void CDlgAddressList::ShowCounts() {
    const qint64 ticked = TickedCount();
    m_ui->ticked->setText(QString::number(ticked));
    m_ui->selectAll->setEnabled(ticked < m_rows.Count());
}

void CDlgAddressList::ApplyAdvancedCondition(const QString& condition) {
    m_filter.SetAdvancedCondition(condition);
    Reload();
}

void CDlgAddressList::CacheHint(int first, int last) {
    m_rows.Hint(first, last);
}

QString CDlgAddressList::CellText(int row, int column) {
    if (row < 0 || row >= m_rows.Count())
        return {};
    switch (column) {
    case 0:
        return {};
    case 1:
        return QString::number(static_cast<qint64>(m_query.rowNumberBase) + row);
    case 2: {
        const std::optional<QString> group = m_rows.Cell(row, 1);
        if (!group)
            return {};
        const auto it = m_groupNames.find(group->toLongLong());
        return it != m_groupNames.end() ? it->second : QString();
    }
    default: {
        // List column c shows fetched column c-1 (perNO and groupID come first).
        // The list has no column for the rowid that ends the select list.
        const int fetched = column - 1;
        if (column >= 3 + m_fieldColumns.size())
            return {};
        const QString text = m_rows.CellText(row, fetched);
        return fetched == m_query.mobileColumn ? MaskNumber(text) : text;
    }
    }
}

std::optional<bool> CDlgAddressList::CellChecked(int row, int column) {
    if (column != 0 || row < 0 || row >= m_rows.Count())
        return std::nullopt;
    return m_selection.IsTicked(m_rows.Rowid(row));
}

void CDlgAddressList::SetCellChecked(int row, int column, bool checked) {
    if (column != 0 || row < 0 || row >= m_rows.Count())
        return;
    m_selection.Tick(m_rows.Rowid(row), checked);
    ShowCounts();
}

void CDlgAddressList::OnRowClicked(const QModelIndex& index) {
    // The tick box of column 0 ticks by itself; a click elsewhere on the row toggles it.
    if (!index.isValid() || index.column() == 0)
        return;
    const qint64 rowid = m_rows.Rowid(index.row());
    m_selection.Tick(rowid, !m_selection.IsTicked(rowid));
    m_ui->contactList->RedrawItems();
    ShowCounts();
}

bool CDlgAddressList::HeaderClicked(int column) {
    if (!PickerSortColumn(column, m_fieldColumns))
        return true; // the tick and row-number columns never sort
    QueryList(column);
    return false;
}

void CDlgAddressList::TickRows(int first, int last, bool ticked) {
    first = std::max(first, 0);
    last = std::min(last, m_rows.Count() - 1);
    for (int row = first; row <= last; ++row)
        m_selection.Tick(m_rows.Rowid(row), ticked);
    m_ui->contactList->RedrawItems();
    ShowCounts();
}

void CDlgAddressList::OnSelectAll() {
    m_selection.TickAll();
    m_ui->contactList->RedrawItems();
    ShowCounts();
}

void CDlgAddressList::OnReverseSelection() {
    const std::unordered_set<qint64> marked = m_selection.Rowids();
    const bool allExcept = m_selection.AllExcept();
    if (allExcept)
        m_selection.Clear();
    else
        m_selection.TickAll();
    for (qint64 rowid : marked)
        m_selection.Tick(rowid, allExcept);
    m_ui->contactList->RedrawItems();
    ShowCounts();
}

void CDlgAddressList::OnOK() {
    if (m_queryMode) {
        done(1003);
        CDlgSendSMS composer(parentWidget(), 1);
        composer.SetRecipientSource(&m_selection);
        RunModal(composer);
        return;
    }
    std::vector<PickedContact> contacts;
    CollectPickedContacts(m_selection, PickerNumberColumn(Mode()), contacts);
    done(1003);
    if (m_receiver)
        m_receiver->ReceivePickedContacts(contacts);
}

void CDlgAddressList::OnDelete() {
    // Deleting contacts is guarded like the pane's delete.
    if (RefuseIfRightDenied(2))
        return;
    const qint64 ticked = TickedCount();
    if (ticked == 0) {
        ShowMessageBox(LoadStr(154), mb::Ok | mb::IconWarning);
        return;
    }
    if (!ConfirmDeleteCount(ticked))
        return;
    if (DeleteTickedContacts(m_selection) < 0)
        ShowMessageBox(LoadStr(160), mb::Ok | mb::IconError);
    QueryList(kKeepOrder);
}

void CDlgAddressList::OnExport() {
    if (RefuseIfRightDenied(4))
        return;
    const QString chosen =
        ChooseSaveFile(this, tr("Microsoft Excel文件(*.xlsx)|*.xlsx||"), QString(), QStringLiteral("xlsx"));
    if (chosen.isEmpty())
        return;
    g_hStatusBar(2, LoadStr(185));
    const int result = ExportAddressList(XlsxFileName(chosen), m_query, m_fieldNames, m_groupNames);
    g_hStatusBar(2, QString());
    ShowMessageBox(LoadStr(result), mb::Ok | (result == 162 ? mb::IconInformation : mb::IconWarning));
}

void CDlgAddressList::OnGenerateInitials() {
    g_hStatusBar(2, LoadStr(185));
    GenerateMissingInitials();
    g_hStatusBar(2, QString());
    m_missingInitials = false;
    m_ui->generate->setEnabled(false);
}

void CDlgAddressList::OnLetter(int id) {
    if (id < kFirstLetterId || id > kLastLetterId)
        return;
    if (m_missingInitials && ShowMessageBox(LoadStr(161), mb::YesNo | mb::IconQuestion) == IDYES)
        OnGenerateInitials();
    Reload(QChar(u'A' + (id - kFirstLetterId)));
    if (QPushButton* previous = LetterButton(m_letterButton))
        previous->setEnabled(true);
    if (QPushButton* pressed = LetterButton(id))
        pressed->setEnabled(false);
    m_letterButton = id;
}

void CDlgAddressList::OnAdvancedQuery() {
    CDlgSeniorQuery dialog(this);
    dialog.SetContactsMode(true);
    dialog.SetFields(&m_fieldNames, &m_fieldColumns);
    connect(&dialog, &CDlgSeniorQuery::ConditionChosen, this,
            [this](const QString& condition) { ApplyAdvancedCondition(condition); });
    RunModal(dialog);
}

void CDlgAddressList::ShowAndEdit(int row) {
    if (row < 0 || row >= m_rows.Count())
        return;
    const qint64 rowid = m_rows.Rowid(row);
    if (rowid > 0 && OpenContactEditor(this, rowid) == 1003)
        Reload();
}

void CDlgAddressList::OnContextMenu(const QPoint& pos) {
    const QModelIndex index = m_ui->contactList->indexAt(pos);
    if (!index.isValid())
        return;
    const int row = index.row();
    QMenu menu(this);
    auto add = [this, &row](QMenu* to, int command, const QString& text) {
        to->addAction(text, this, [this, command, row] { OnMenuCommand(command, row); });
    };
    add(&menu, 10001, tr("显示/修改"));
    QMenu* ranges = menu.addMenu(tr("多行选择"));
    add(ranges, 10002, tr("全选"));
    add(ranges, 10003, tr("反选"));
    add(ranges, 10004, tr("行上全选"));
    add(ranges, 10005, tr("行下全选"));
    add(ranges, 10006, tr("行上全不选"));
    add(ranges, 10007, tr("行下全不选"));
    add(ranges, 10008, tr("(两)行间全选"));
    add(ranges, 10009, tr("全不选"));
    add(&menu, 10010, tr("生成拼音码"));
    add(&menu, 10011, tr("导出"));
    menu.exec(m_ui->contactList->viewport()->mapToGlobal(pos));
}

void CDlgAddressList::OnMenuCommand(int command, int row) {
    const int last = m_rows.Count() - 1;
    switch (command) {
    case 10001:
        ShowAndEdit(row);
        break;
    case 10002:
        OnSelectAll();
        break;
    case 10003:
        OnReverseSelection();
        break;
    case 10004:
        TickRows(0, row, true);
        break;
    case 10005:
        TickRows(row, last, true);
        break;
    case 10006:
        TickRows(0, row, false);
        break;
    case 10007:
        TickRows(row, last, false);
        break;
    case 10008: {
        int lo = -1;
        int hi = -1;
        for (int r = 0; r <= last; ++r) {
            if (m_selection.IsTicked(m_rows.Rowid(r))) {
                if (lo < 0)
                    lo = r;
                hi = r;
            }
        }
        if (lo >= 0)
            TickRows(lo, hi, true);
        break;
    }
    case 10009:
        m_selection.Clear();
        m_ui->contactList->RedrawItems();
        ShowCounts();
        break;
    case 10010:
        OnGenerateInitials();
        break;
    case 10011:
        OnExport();
        break;
    default:
        break;
    }
}
