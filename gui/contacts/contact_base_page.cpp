#include "gui/contacts/contact_base_page.h"

#include "contacts/industry.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/automation/auto_send_dialog.h"
#include "gui/contacts/input_limit.h"
#include "gui/contacts/optional_date_edit.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/tree_helpers.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_contact_base_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>

#include <iterator>

namespace {

int PinyinOrder(const QString& a, const QString& b) {
    const QByteArray x = a.toUtf8();
    const QByteArray y = b.toUtf8();
    return PinyinCompare(nullptr, static_cast<int>(x.size()), x.constData(), static_cast<int>(y.size()),
                         y.constData());
}

} // namespace

void AddPinyinSortedItem(QComboBox* combo, const QString& value, const QString& shown) {
    int at = 0;
    while (at < combo->count() && PinyinOrder(combo->itemData(at).toString(), value) <= 0)
        ++at;
    combo->insertItem(at, shown.isEmpty() ? value : shown, value);
}

void SelectComboValue(QComboBox* combo, const QString& value, bool sorted) {
    if (value.isEmpty()) {
        combo->setCurrentIndex(-1);
        return;
    }
    int index = combo->findData(value);
    if (index < 0) {
        if (sorted)
            AddPinyinSortedItem(combo, value);
        else
            combo->addItem(value, value);
        index = combo->findData(value);
    }
    combo->setCurrentIndex(index);
}

QString ComboValue(const QComboBox* combo) {
    return combo->currentIndex() < 0 ? QString() : combo->currentData().toString();
}

CDlgContactBase::CDlgContactBase(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CDlgContactBase>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);

    const std::pair<QLineEdit*, int> limits[] = {
        {m_ui->name, 10},    {m_ui->mobile, 16}, {m_ui->qq, 10},     {m_ui->msn, 30},    {m_ui->email, 30},
        {m_ui->faTel, 12},   {m_ui->faAddr, 50}, {m_ui->coName, 20}, {m_ui->coDept, 10}, {m_ui->coEmp, 10},
        {m_ui->conAddr, 30}, {m_ui->conTel, 20}, {m_ui->conFax, 20},
    };
    for (const auto& [edit, limit] : limits)
        LimitUserInput(edit, limit);
    LimitUserInput(m_ui->mark, 100);
    m_ui->mark->setTabChangesFocus(true);
    // Tab walks the page as it reads, line by line, and ends in the groups.
    QWidget* const order[] = {
        m_ui->name,
        m_ui->sex,
        m_ui->mobile,
        m_ui->birthday->switchBox(),
        m_ui->birthday->dateEdit(),
        m_ui->birthdaySwitch,
        m_ui->specialDay->switchBox(),
        m_ui->specialDay->dateEdit(),
        m_ui->specialDaySwitch,
        m_ui->qq,
        m_ui->msn,
        m_ui->email,
        m_ui->faTel,
        m_ui->faAddr,
        m_ui->coName,
        m_ui->coDept,
        m_ui->coEmp,
        m_ui->province,
        m_ui->city,
        m_ui->conAddr,
        m_ui->industry,
        m_ui->conTel,
        m_ui->conFax,
        m_ui->mark,
        m_ui->groups,
    };
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    AddPinyinSortedItem(m_ui->sex, QStringLiteral("男"), tr("男"));
    AddPinyinSortedItem(m_ui->sex, QStringLiteral("女"), tr("女"));
    m_ui->sex->setCurrentIndex(-1);
    LoadFieldLabels();
    for (const char* industry : g_industryNames)
        m_ui->industry->addItem(QString::fromUtf8(industry), QString::fromUtf8(industry));
    m_ui->industry->setCurrentIndex(-1);
    LoadProvinces();

    FillCheckableGroupTree(m_ui->groups);

    connect(m_ui->province, &QComboBox::currentIndexChanged, this, &CDlgContactBase::OnProvinceChanged);
    connect(m_ui->birthdaySwitch, &QCheckBox::clicked, this,
            [this](bool ticked) { OnDateSwitch(0, ticked); });
    connect(m_ui->specialDaySwitch, &QCheckBox::clicked, this,
            [this](bool ticked) { OnDateSwitch(1, ticked); });
    connect(m_ui->groups, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { m_ui->groups->setCurrentItem(item); });
}

CDlgContactBase::~CDlgContactBase() = default;

void CDlgContactBase::FocusName() {
    m_ui->name->setFocus();
}

void CDlgContactBase::LoadFieldLabels() {
    QLabel* const labels[] = {m_ui->specialDayLabel, m_ui->qqLabel,     m_ui->msnLabel,    m_ui->faTelLabel,
                              m_ui->faAddrLabel,     m_ui->coNameLabel, m_ui->coDeptLabel, m_ui->coEmpLabel,
                              m_ui->conAddrLabel,    m_ui->conTelLabel, m_ui->markLabel};
    SqlStatement st(g_pDB,
                    "SELECT name FROM fieldDisplay WHERE fieldId>4 AND fieldId!= 8 AND fieldId!= 14 AND "
                    "fieldId!=15 AND fieldId!=17 AND fieldId!= 19 AND fieldId<21 ORDER BY fieldId");
    int rc = st.ok() ? SQLITE_ROW : SQLITE_ERROR;
    for (QLabel* label : labels) {
        if (!st.ok() || (rc = st.step()) != SQLITE_ROW)
            break;
        label->setText(st.qtext(0) + QLatin1Char(':'));
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        LogWrite(g_logRun, "CDlgContactBase::InitFieldContent读取字段名出错");
}

void CDlgContactBase::LoadProvinces() {
    SqlStatement st(g_pDB, "SELECT DISTINCT Province FROM CityInfo");
    int rc = SQLITE_ERROR;
    if (st.ok()) {
        while ((rc = st.step()) == SQLITE_ROW) {
            const QString province = st.qtext(0);
            if (!province.isEmpty() && m_ui->province->findData(province) < 0)
                AddPinyinSortedItem(m_ui->province, province);
        }
    }
    if (rc != SQLITE_DONE)
        LogWrite(g_logRun, "获取省份错了");
    m_ui->province->setCurrentIndex(-1);
}

void CDlgContactBase::OnProvinceChanged() {
    m_ui->city->clear();
    const QString province = ComboValue(m_ui->province);
    if (province.isEmpty())
        return;
    SqlStatement st(g_pDB, "SELECT DISTINCT City FROM CityInfo WHERE Province =?");
    int rc = SQLITE_ERROR;
    if (st.ok()) {
        st.bind(1, province);
        while ((rc = st.step()) == SQLITE_ROW) {
            const QString city = st.qtext(0);
            if (!city.isEmpty() && m_ui->city->findData(city) < 0)
                AddPinyinSortedItem(m_ui->city, city);
        }
    }
    if (rc != SQLITE_DONE)
        LogWrite(g_logRun, "获取城市信息出错了");
    m_ui->city->setCurrentIndex(m_ui->city->count() == 1 ? 0 : -1);
}

void CDlgContactBase::SetRecord(const CONTACTINFO* record) {
    m_record = record;
    if (!record)
        return;
    m_ui->name->setText(record->name);
    SelectComboValue(m_ui->sex, record->sex, true);
    m_storedMobile = record->mobileNum;
    m_shownMobile = MaskNumber(record->mobileNum);
    m_ui->mobile->setText(m_shownMobile);
    m_ui->birthday->setStoredText(record->birthDay);
    m_ui->specialDay->setStoredText(record->specialDay);
    m_ui->qq->setText(record->qq);
    m_ui->msn->setText(record->msn);
    m_ui->email->setText(record->eMail);
    m_ui->faTel->setText(record->faTel);
    m_ui->faAddr->setText(record->faAddr);
    m_ui->coName->setText(record->coName);
    m_ui->coDept->setText(record->coDept);
    m_ui->coEmp->setText(record->coEmp);
    // The province first, so its cities are in the list when the city is chosen.
    SelectComboValue(m_ui->province, record->province, true);
    SelectComboValue(m_ui->city, record->city, true);
    m_ui->conAddr->setText(record->conAddr);
    SelectComboValue(m_ui->industry, record->conIndusty, false);
    m_ui->conTel->setText(record->conTel);
    m_ui->conFax->setText(record->conFax);
    SetProgramText(m_ui->mark, record->mark);
    m_perNo = record->perNO;
    for (quint32 group : record->groupIds) {
        if (QTreeWidgetItem* item = FindTreeItemByData(m_ui->groups, nullptr, group))
            item->setCheckState(0, Qt::Checked);
    }
}

void CDlgContactBase::SetPresetGroup(int groupId) {
    m_presetGroupId = groupId;
    if (groupId == -1)
        return;
    if (QTreeWidgetItem* item = FindTreeItemByData(m_ui->groups, nullptr, groupId)) {
        item->setCheckState(0, Qt::Checked);
        m_ui->groups->setCurrentItem(item);
    }
}

QString CDlgContactBase::MobileToSave() const {
    const QString shown = m_ui->mobile->text();
    if (!m_shownMobile.isEmpty() && shown == m_shownMobile)
        return m_storedMobile;
    return shown;
}

void CDlgContactBase::FillRecord(CONTACTINFO& record) const {
    record.name = m_ui->name->text();
    record.sex = ComboValue(m_ui->sex);
    record.mobileNum = MobileToSave();
    record.birthDay = m_ui->birthday->textToStore();
    record.specialDay = m_ui->specialDay->textToStore();
    record.qq = m_ui->qq->text();
    record.msn = m_ui->msn->text();
    record.eMail = m_ui->email->text();
    record.faTel = m_ui->faTel->text();
    record.faAddr = m_ui->faAddr->text();
    record.coName = m_ui->coName->text();
    record.coDept = m_ui->coDept->text();
    record.coEmp = m_ui->coEmp->text();
    record.province = ComboValue(m_ui->province);
    record.city = ComboValue(m_ui->city);
    record.conAddr = m_ui->conAddr->text();
    record.conIndusty = ComboValue(m_ui->industry);
    record.conTel = m_ui->conTel->text();
    record.conFax = m_ui->conFax->text();
    record.mark = m_ui->mark->toPlainText();
    record.perNO = m_perNo;
    QList<qint64> groups;
    GetCheckedTreeItems(m_ui->groups, nullptr, groups);
    record.groupIds.clear();
    for (qint64 group : groups)
        record.groupIds.push_back(static_cast<quint32>(group));
}

void CDlgContactBase::OnDateSwitch(int kind, bool ticked) {
    if (!ticked)
        return;
    QCheckBox* box = kind == 0 ? m_ui->birthdaySwitch : m_ui->specialDaySwitch;
    const OptionalDateEdit* picker = kind == 0 ? m_ui->birthday : m_ui->specialDay;
    if (!picker->hasDate()) {
        ShowMessageBox(LoadStr(kind == 0 ? 182 : 181), mb::Ok | mb::IconWarning);
        box->setChecked(false);
        return;
    }
    const QString mobile = MobileToSave().trimmed();
    if (mobile.isEmpty()) {
        ShowMessageBox(LoadStr(183), mb::Ok | mb::IconWarning);
        box->setChecked(false);
        return;
    }
    CDlgAutoSend dialog(this);
    dialog.SetMobile(mobile);
    dialog.SetDate(picker->date().toString(QStringLiteral("yyyy-MM-dd")));
    dialog.SetKind(kind);
    if (RunModal(dialog) != 1003)
        box->setChecked(false);
}
