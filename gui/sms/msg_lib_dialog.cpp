#include "gui/sms/msg_lib_dialog.h"

#include "core/string_table.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "sms/phrase_library.h"

#include "ui_msg_lib_dialog.h"

#include <QDateTime>
#include <QHeaderView>
#include <QMenu>
#include <QTableWidget>
#include <QTreeWidget>

#include <vector>

namespace {

constexpr int kIdRole = Qt::UserRole;

QTableWidgetItem* Cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

} // namespace

CDlgMsgLib::CDlgMsgLib(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgMsgLib>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);

    QTableWidget* list = m_ui->phrases;
    list->setColumnCount(2);
    list->setHorizontalHeaderLabels({tr("短语内容"), tr("创建时间")});
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setColumnWidth(0, 350);
    list->setColumnWidth(1, 100);

    connect(m_ui->tree, &QTreeWidget::itemSelectionChanged, this, &CDlgMsgLib::OnGroupSelected);
    connect(m_ui->tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (std::unique_ptr<QMenu> menu = GroupMenu(m_ui->tree->itemAt(pos)))
            menu->exec(m_ui->tree->viewport()->mapToGlobal(pos));
    });
    connect(list, &QTableWidget::itemSelectionChanged, this, &CDlgMsgLib::OnPhraseSelected);
    connect(m_ui->save, &QPushButton::clicked, this, &CDlgMsgLib::OnSave);
    connect(m_ui->deletePhrase, &QPushButton::clicked, this, &CDlgMsgLib::OnDeletePhrase);
    connect(m_ui->addGroup, &QPushButton::clicked, this, &CDlgMsgLib::OnAddGroup);
    connect(m_ui->choose, &QPushButton::clicked, this, &CDlgMsgLib::OnChoose);
    connect(m_ui->exit, &QPushButton::clicked, this, [this] { done(1002); });

    BuildTree();
}

CDlgMsgLib::~CDlgMsgLib() = default;

void CDlgMsgLib::SetText(const QString& text) {
    m_strText = text;
    m_ui->editor->setPlainText(text);
}

void CDlgMsgLib::accept() {}

void CDlgMsgLib::reject() {
    done(1002);
}

// ---- tree -----------------------------------------------------------------------

void CDlgMsgLib::BuildTree() {
    QTreeWidget* tree = m_ui->tree;
    {
        // Rebuilding is no choice of the user's: the current group stays.
        const QSignalBlocker block(tree);
        tree->clear();
        auto* common = new QTreeWidgetItem(tree, {tr("常用短语")});
        common->setData(0, kIdRole, kPhraseRootCommon);
        auto* custom = new QTreeWidgetItem(tree, {tr("自定义分组")});
        custom->setData(0, kIdRole, kPhraseRootCustom);

        std::vector<QTreeWidgetItem*> items;
        QTreeWidgetItem* current = m_nCurGroup == kPhraseRootCommon   ? common
                                   : m_nCurGroup == kPhraseRootCustom ? custom
                                                                      : nullptr;
        for (const PhraseGroup& g : LoadPhraseGroups()) {
            QTreeWidgetItem* parent = g.parent >= 0                     ? items[static_cast<size_t>(g.parent)]
                                      : g.parentID == kPhraseRootCommon ? common
                                                                        : custom;
            auto* item = new QTreeWidgetItem(parent, {g.name});
            item->setData(0, kIdRole, g.recID);
            items.push_back(item);
            if (!current && g.recID == m_nCurGroup)
                current = item;
        }
        common->setExpanded(true);
        custom->setExpanded(true);
        if (current) {
            tree->setCurrentItem(current);
        } else {
            tree->setCurrentItem(nullptr);
            m_nCurGroup = -1;
        }
    }
}

void CDlgMsgLib::OnGroupSelected() {
    const QList<QTreeWidgetItem*> selected = m_ui->tree->selectedItems();
    m_nCurGroup = selected.isEmpty() ? -1 : selected.first()->data(0, kIdRole).toInt();
    LoadPhraseList();
}

std::unique_ptr<QMenu> CDlgMsgLib::GroupMenu(QTreeWidgetItem* item) {
    if (!item || !item->parent())
        return nullptr;
    m_ui->tree->setCurrentItem(item);
    auto menu = std::make_unique<QMenu>(this);
    QAction* remove = menu->addAction(tr("删除"));
    remove->setObjectName(QStringLiteral("10001"));
    connect(remove, &QAction::triggered, this, &CDlgMsgLib::OnDeleteGroup);
    return menu;
}

// ---- phrase list ------------------------------------------------------------------

void CDlgMsgLib::LoadPhraseList() {
    QTableWidget* list = m_ui->phrases;
    m_bReloading = true;
    list->setRowCount(0);
    const std::vector<Phrase> phrases = m_nCurGroup == -1 ? std::vector<Phrase>{} : LoadPhrases(m_nCurGroup);
    list->setRowCount(static_cast<int>(phrases.size()));
    for (int row = 0; row < static_cast<int>(phrases.size()); ++row) {
        const Phrase& p = phrases[static_cast<size_t>(row)];
        QTableWidgetItem* content = Cell(p.content);
        content->setData(kIdRole, static_cast<qlonglong>(p.rowId));
        list->setItem(row, 0, content);
        list->setItem(row, 1, Cell(p.creatTime));
    }
    list->clearSelection();
    list->setCurrentItem(nullptr);
    m_bReloading = false;
    m_nCurPhrase = -1;
    m_nCurRow = -1;
    ShowCount(static_cast<int>(phrases.size()));
}

void CDlgMsgLib::OnPhraseSelected() {
    if (m_bReloading)
        return;
    const QList<QTableWidgetItem*> selected = m_ui->phrases->selectedItems();
    if (selected.isEmpty()) {
        m_nCurRow = -1;
        m_nCurPhrase = -1;
        return;
    }
    m_nCurRow = selected.first()->row();
    QTableWidgetItem* content = m_ui->phrases->item(m_nCurRow, 0);
    m_nCurPhrase = content ? content->data(kIdRole).toLongLong() : -1;
    if (content)
        m_ui->editor->setPlainText(content->text());
}

void CDlgMsgLib::ShowCount(int rows) {
    m_ui->count->setText(tr("当前共有条数: %d").replace(QLatin1String("%d"), QString::number(rows)));
}

void CDlgMsgLib::ClearPhrase() {
    m_nCurPhrase = -1;
    m_nCurRow = -1;
}

// ---- buttons ------------------------------------------------------------------------

void CDlgMsgLib::OnSave() {
    const QString text = m_ui->editor->toPlainText();
    if (const int refusal = PhraseSaveRefusal(m_nCurGroup, text)) {
        ShowMessageBox(LoadStr(refusal), mb::IconWarning);
        return;
    }
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    if (SavePhrase(m_nCurGroup, m_nCurPhrase > 0 ? m_nCurPhrase : 0, text, now))
        LoadPhraseList();
}

void CDlgMsgLib::OnDeletePhrase() {
    if (m_nCurPhrase <= 0 || m_nCurRow < 0) {
        ShowMessageBox(LoadStr(180), mb::IconWarning);
        return;
    }
    if (!DeletePhrase(m_nCurPhrase))
        return;
    QTableWidget* list = m_ui->phrases;
    // The neighbour that Qt would make current is no choice of the user's:
    // nothing is selected afterwards, so the next save adds a phrase.
    m_bReloading = true;
    list->removeRow(m_nCurRow);
    list->clearSelection();
    list->setCurrentItem(nullptr);
    m_bReloading = false;
    ClearPhrase();
    if (list->rowCount() == 0)
        m_ui->editor->clear();
    ShowCount(list->rowCount());
}

void CDlgMsgLib::OnAddGroup() {
    const QString name = PhraseGroupName(m_ui->groupName->text());
    if (name.isEmpty()) {
        ShowMessageBox(LoadStr(226), mb::IconWarning);
        return;
    }
    if (!AddPhraseGroup(name))
        return;
    BuildTree();
    m_ui->groupName->clear();
}

void CDlgMsgLib::OnDeleteGroup() {
    if (m_nCurGroup == -1 || m_nCurGroup == kPhraseRootCommon || m_nCurGroup == kPhraseRootCustom)
        return;
    if (ShowMessageBox(LoadStr(223), mb::YesNo | mb::IconQuestion) != IDYES)
        return;
    if (!DeletePhraseGroup(m_nCurGroup))
        return;
    m_nCurGroup = -1;
    BuildTree();
    LoadPhraseList();
    m_ui->editor->clear();
}

void CDlgMsgLib::OnChoose() {
    m_strText = m_ui->editor->toPlainText();
    done(1003);
    if (!m_bOpenComposer)
        return;
    CDlgSendSMS composer(parentWidget(), 1);
    composer.SetPrefillContent(m_strText);
    RunModal(composer);
}
