#include "gui/contacts/import_field_panel.h"

#include "core/database.h"
#include "core/log.h"
#include "core/sql.h"
#include "gui/main/gui_globals.h"

#include "ui_import_field_panel.h"

#include <QComboBox>
#include <QLabel>

#include <functional>

namespace {

constexpr int kFirstFieldId = 1;
constexpr int kLastFieldId = 34;
constexpr int kRowHeight = 30;

// A list that asks for its entries each time it gets the focus or opens, so
// it never offers a column another field took meanwhile.
class MappingList : public QComboBox {
public:
    MappingList(QWidget* parent, std::function<void()> refill)
        : QComboBox(parent), m_refill(std::move(refill)) {}
    void showPopup() override {
        m_refill();
        QComboBox::showPopup();
    }

protected:
    void focusInEvent(QFocusEvent* event) override {
        m_refill();
        QComboBox::focusInEvent(event);
    }

private:
    std::function<void()> m_refill;
};

} // namespace

CDlgImportField::CDlgImportField(const QStringList* columns, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CDlgImportField>()), m_pColumns(columns) {
    m_ui->setupUi(this);
    setFont(g_fontNormal);
    OnInitDialog();
}

CDlgImportField::~CDlgImportField() = default;

void CDlgImportField::OnInitDialog() {
    SqlStatement st(g_pDB, "SELECT name,nameOfValue,fieldId,indexField FROM fieldDisplay WHERE  inUse=1 AND "
                           "isVisible=1 ORDER BY fieldId");
    int rc = SQLITE_ERROR;
    if (st.ok()) {
        while ((rc = st.step()) == SQLITE_ROW) {
            const int id = static_cast<int>(st.int64(2));
            // Only the fields the import can write, each once.
            if (id < kFirstFieldId || id > kLastFieldId || List(id))
                continue;
            AddRow(id, st.qtext(0));
        }
    }
    if (rc != SQLITE_DONE)
        LogWrite(g_logRun, "加载已存在的自定义字段出错了");
    const int rows = RowCount();
    m_ui->rows->resize(m_ui->rows->width(), rows > 0 ? kRowHeight * (rows - 1) + 45 + 10 : 0);
}

void CDlgImportField::AddRow(int fieldId, const QString& name) {
    if (name == QStringLiteral("生日"))
        m_nBirthdayField = fieldId;
    else if (name == QStringLiteral("特殊日期"))
        m_nSpecialDateField = fieldId;
    const int r = RowCount();
    auto* label = new QLabel(m_ui->rows);
    label->setObjectName(QString::number(fieldId + 101));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The mobile number is the one field an import cannot do without.
    label->setText((name == QStringLiteral("手机或小灵通") ? tr("*手机或小灵通") : name) + QLatin1Char(':'));
    if (fieldId == 3)
        label->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    label->setGeometry(15, kRowHeight * r + 25, 95, 20);
    auto* list = new MappingList(m_ui->rows, [this, fieldId] { RefillList(fieldId); });
    list->setObjectName(QString::number(fieldId));
    list->setGeometry(115, kRowHeight * r + 20, 150, 25);
    list->setMaxVisibleItems(12);
    label->setBuddy(list);
    connect(list, &QComboBox::activated, this, [this, fieldId] { OnSelectColumn(fieldId); });
    m_controls.push_back(label);
    m_controls.push_back(list);
}

QComboBox* CDlgImportField::List(int fieldId) const {
    for (size_t i = 1; i < m_controls.size(); i += 2)
        if (m_controls[i]->objectName() == QString::number(fieldId))
            return static_cast<QComboBox*>(m_controls[i]);
    return nullptr;
}

void CDlgImportField::RefillList(int fieldId) {
    QComboBox* list = List(fieldId);
    if (!list)
        return;
    const QStringList offered = OfferedColumns(m_pColumns ? *m_pColumns : QStringList(), m_mapColumns,
                                               static_cast<unsigned>(fieldId));
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItems(offered);
    // The field keeps its column (listed first); a field without one shows
    // no choice rather than the first column.
    list->setCurrentIndex(m_mapColumns.count(static_cast<unsigned>(fieldId)) ? 0 : -1);
}

void CDlgImportField::OnSelectColumn(int fieldId) {
    const QComboBox* list = List(fieldId);
    if (!list || list->currentIndex() < 0)
        return;
    m_mapColumns[static_cast<unsigned>(fieldId)] = list->currentText();
}
