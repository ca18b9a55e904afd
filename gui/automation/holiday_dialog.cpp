#include "gui/automation/holiday_dialog.h"

#include "automation/holiday_messages.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_holiday_dialog.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>

#include <optional>

namespace {

enum Column { HiddenColumn, MonthColumn, DayColumn, NameColumn, ContentColumn, ColumnCount };

constexpr int kRecIdRole = Qt::UserRole;
// The kind a row belongs to: an edit still open when the kind changes is
// saved with its own row's kind.
constexpr int kTypeRole = Qt::UserRole + 1;

// In-place editing through the dialog's checks: a refused text keeps the
// editor open with what was typed.
class HolidayCellDelegate : public QStyledItemDelegate {
public:
    HolidayCellDelegate(CDlgHoliday* dialog, QTableWidget* list)
        : QStyledItemDelegate(list), m_dialog(dialog), m_list(list) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        auto* edit = new QLineEdit(parent);
        if (index.column() == MonthColumn || index.column() == DayColumn)
            edit->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), edit));
        return edit;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* edit = static_cast<QLineEdit*>(editor);
        if (m_refused.has_value() && m_refusedAt == index) {
            edit->setText(*m_refused);
            m_refused.reset();
        } else {
            edit->setText(index.data().toString());
        }
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        const QString text = static_cast<QLineEdit*>(editor)->text();
        // Leaving a cell without changing it is no edit.
        if (text == index.data().toString())
            return;
        if (m_dialog->EndCellEdit(index.row(), index.column(), text))
            return;
        m_refused = text;
        m_refusedAt = index;
        QPointer<QTableWidget> list = m_list;
        QTimer::singleShot(0, list, [list, index] {
            if (list && index.isValid())
                list->edit(index);
        });
    }

private:
    CDlgHoliday* m_dialog;
    QTableWidget* m_list;
    mutable std::optional<QString> m_refused;
    mutable QPersistentModelIndex m_refusedAt;
};

QTableWidgetItem* Cell(const QString& text) {
    return new QTableWidgetItem(text);
}

QTableWidgetItem* KeyCell(int64_t recID, int type) {
    QTableWidgetItem* key = Cell(QString());
    key->setData(kRecIdRole, static_cast<qlonglong>(recID));
    key->setData(kTypeRole, type);
    return key;
}

} // namespace

CDlgHoliday::CDlgHoliday(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgHoliday>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);

    QTableWidget* list = m_ui->list;
    list->setColumnCount(ColumnCount);
    list->setHorizontalHeaderLabels({QString(), tr("月"), tr("日"), tr("节日名称"), tr("内容")});
    list->setColumnHidden(HiddenColumn, true);
    list->setColumnWidth(MonthColumn, 40);
    list->setColumnWidth(DayColumn, 40);
    list->setColumnWidth(NameColumn, 100);
    list->setColumnWidth(ContentColumn, 300);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setItemDelegate(new HolidayCellDelegate(this, list));

    // The day counts go with the items, so the stored value never depends on
    // the language of the texts.
    const char* const texts[] = {QT_TR_NOOP("1天"),  QT_TR_NOOP("3天"),  QT_TR_NOOP("5天"), QT_TR_NOOP("7天"),
                                 QT_TR_NOOP("10天"), QT_TR_NOOP("15天"), QT_TR_NOOP("30天")};
    const std::vector<int>& days = HolidayPreDayChoices();
    for (size_t i = 0; i < days.size(); ++i)
        m_ui->preDays->addItem(tr(texts[i]), days[i]);

    const HolidayTipSettings settings = ReadHolidayTipSettings(g_strAccountIni);
    m_ui->autoTip->setChecked(settings.autoTip);
    m_ui->preDays->setEnabled(settings.autoTip);
    m_ui->preDays->setCurrentIndex(settings.autoTip ? m_ui->preDays->findData(LeadingNumber(settings.preDays))
                                                    : -1);

    connect(m_ui->gregorian, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            OnType(kHolidayGregorian);
    });
    connect(m_ui->lunar, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            OnType(kHolidayLunar);
    });
    connect(m_ui->custom, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            OnType(kHolidayCustom);
    });
    connect(m_ui->autoTip, &QCheckBox::toggled, this, &CDlgHoliday::OnAutoTipToggled);
    connect(m_ui->addHoliday, &QPushButton::clicked, this, &CDlgHoliday::OnAddHoliday);
    connect(m_ui->deleteHoliday, &QPushButton::clicked, this, &CDlgHoliday::OnDeleteHoliday);
    connect(m_ui->choose, &QPushButton::clicked, this, &CDlgHoliday::OnChoose);

    LoadList();
}

CDlgHoliday::~CDlgHoliday() = default;

void CDlgHoliday::OnType(int type) {
    m_type = type;
    LoadList();
}

void CDlgHoliday::LoadList() {
    std::vector<HolidayRow> rows;
    LoadHolidays(g_pDB, m_type, rows);
    QTableWidget* list = m_ui->list;
    // An edit still open ends on its own row before the rows go.
    list->setCurrentIndex(QModelIndex());
    list->clearContents();
    list->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < list->rowCount(); ++row) {
        const HolidayRow& r = rows[static_cast<size_t>(row)];
        list->setItem(row, HiddenColumn, KeyCell(r.recID, m_type));
        list->setItem(row, MonthColumn, Cell(r.month));
        list->setItem(row, DayColumn, Cell(r.day));
        list->setItem(row, NameColumn, Cell(r.name));
        list->setItem(row, ContentColumn, Cell(r.content));
    }
}

QString CDlgHoliday::CellText(int row, int column) const {
    const QTableWidgetItem* item = m_ui->list->item(row, column);
    return item ? item->text() : QString();
}

int64_t CDlgHoliday::RowRecId(int row) const {
    const QTableWidgetItem* item = m_ui->list->item(row, HiddenColumn);
    return item ? item->data(kRecIdRole).toLongLong() : 0;
}

int CDlgHoliday::SelectedRow() const {
    const QModelIndexList rows = m_ui->list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

bool CDlgHoliday::EndCellEdit(int row, int column, const QString& text) {
    QTableWidget* list = m_ui->list;
    if (row < 0 || row >= list->rowCount() || column <= HiddenColumn || column >= ColumnCount)
        return true;
    const QTableWidgetItem* key = list->item(row, HiddenColumn);
    const int rowType = key ? key->data(kTypeRole).toInt() : m_type;
    const QString value = text.trimmed();
    if (value.isEmpty()) {
        ShowMessageBox(tr("所编辑内容不能为空"), mb::IconWarning);
        return false;
    }
    if (column == MonthColumn || column == DayColumn) {
        const bool month = column == MonthColumn;
        switch (CheckHolidayDate(month ? value : CellText(row, MonthColumn),
                                 month ? CellText(row, DayColumn) : value, rowType, month)) {
        case HolidayCellError::None:
            break;
        case HolidayCellError::Empty:
            ShowMessageBox(tr("所编辑内容不能为空"), mb::IconWarning);
            return false;
        case HolidayCellError::Month:
            ShowMessageBox(tr("月份应在1-12之间"), mb::IconWarning);
            return false;
        case HolidayCellError::Day:
            ShowMessageBox(tr("日期应在1-31之间"), mb::IconWarning);
            return false;
        case HolidayCellError::NoSuchDay:
            ShowMessageBox(tr("该月没有这一天"), mb::IconWarning);
            return false;
        }
    }

    if (!list->item(row, HiddenColumn))
        list->setItem(row, HiddenColumn, KeyCell(0, rowType));
    const QString previous = CellText(row, column);
    if (QTableWidgetItem* item = list->item(row, column))
        item->setText(value);
    else
        list->setItem(row, column, Cell(value));

    HolidayRow r{CellText(row, MonthColumn), CellText(row, DayColumn), CellText(row, NameColumn),
                 CellText(row, ContentColumn), RowRecId(row)};
    // A row is stored once it is complete.
    if (r.month.isEmpty() || r.day.isEmpty() || r.name.isEmpty() || r.content.isEmpty())
        return true;
    if (SaveHoliday(g_pDB, rowType, r))
        list->item(row, HiddenColumn)->setData(kRecIdRole, static_cast<qlonglong>(r.recID));
    else
        list->item(row, column)->setText(previous); // the stored row stays as it was, and so does the list
    return true;
}

void CDlgHoliday::OnAutoTipToggled(bool on) {
    m_ui->preDays->setEnabled(on);
    if (!on)
        m_ui->preDays->setCurrentIndex(-1);
}

void CDlgHoliday::OnAddHoliday() {
    QTableWidget* list = m_ui->list;
    int row = list->rowCount() - 1;
    bool lastEmpty = row >= 0;
    for (int column = MonthColumn; lastEmpty && column < ColumnCount; ++column)
        lastEmpty = CellText(row, column).isEmpty();
    if (!lastEmpty) {
        row = list->rowCount();
        list->insertRow(row);
        list->setItem(row, HiddenColumn, KeyCell(0, m_type));
        for (int column = MonthColumn; column < ColumnCount; ++column)
            list->setItem(row, column, Cell(QString()));
    }
    list->setCurrentCell(row, MonthColumn);
    list->selectRow(row);
    list->editItem(list->item(row, MonthColumn));
}

void CDlgHoliday::OnDeleteHoliday() {
    const int row = SelectedRow();
    if (row < 0) {
        ShowMessageBox(tr("请选择要删除的记录"), mb::IconWarning);
        return;
    }
    if (ShowMessageBox(tr("确定删除该行记录?"), mb::YesNo | mb::IconQuestion) != IDYES)
        return;
    const int64_t recID = RowRecId(row);
    if (recID != 0 && !DeleteHoliday(g_pDB, recID))
        return;
    m_ui->list->removeRow(row);
}

void CDlgHoliday::OnChoose() {
    const int row = SelectedRow();
    // A row still without a greeting has nothing to hand over.
    const QString content = row >= 0 ? CellText(row, ContentColumn) : QString();
    if (content.isEmpty()) {
        ShowMessageBox(tr("请选择内容"));
        return;
    }
    m_resultText = content;
    done(1003);
}

void CDlgHoliday::SaveTipSettings() {
    const bool on = m_ui->autoTip->isChecked();
    const int index = m_ui->preDays->currentIndex();
    WriteHolidayTipSettings(g_strAccountIni, on,
                            on && index >= 0 ? m_ui->preDays->itemData(index).toInt() : -1);
}

void CDlgHoliday::done(int result) {
    SaveTipSettings();
    QDialog::done(result);
}
