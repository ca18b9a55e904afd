#include "gui/main/operator_rights_dialog.h"

#include "core/database.h"
#include "core/login_accounts.h"
#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <iterator>
#include <type_traits>

namespace {

struct RightLabel {
    int right;
    const char* text;
};

constexpr RightLabel kRightLabels[] = {
    {1, QT_TRANSLATE_NOOP("CDlgOperatorRights", "增加")},
    {2, QT_TRANSLATE_NOOP("CDlgOperatorRights", "删除")},
    {3, QT_TRANSLATE_NOOP("CDlgOperatorRights", "修改")},
    {4, QT_TRANSLATE_NOOP("CDlgOperatorRights", "组管理和导出")},
    {5, QT_TRANSLATE_NOOP("CDlgOperatorRights", "导入")},
    {7, QT_TRANSLATE_NOOP("CDlgOperatorRights", "修改序列号密码")},
    {8, QT_TRANSLATE_NOOP("CDlgOperatorRights", "删除组")},
    {9, QT_TRANSLATE_NOOP("CDlgOperatorRights", "压缩数据库")},
    {10, QT_TRANSLATE_NOOP("CDlgOperatorRights", "备份数据库")},
    {11, QT_TRANSLATE_NOOP("CDlgOperatorRights", "恢复数据库")},
    {12, QT_TRANSLATE_NOOP("CDlgOperatorRights", "删除任务")},
    {13, QT_TRANSLATE_NOOP("CDlgOperatorRights", "删除已接收记录")},
    {14, QT_TRANSLATE_NOOP("CDlgOperatorRights", "删除发送记录")},
    {15, QT_TRANSLATE_NOOP("CDlgOperatorRights", "导出记录")},
    {16, QT_TRANSLATE_NOOP("CDlgOperatorRights", "隐藏部分号码内容")},
    {17, QT_TRANSLATE_NOOP("CDlgOperatorRights", "邮件群发")},
    {18, QT_TRANSLATE_NOOP("CDlgOperatorRights", "传真群发")},
    {19, QT_TRANSLATE_NOOP("CDlgOperatorRights", "语音短信")},
    {20, QT_TRANSLATE_NOOP("CDlgOperatorRights", "数据引擎")},
};
static_assert(std::size(kRightLabels) == std::tuple_size_v<std::remove_cvref_t<decltype(EditableRights())>>);

constexpr int kFirstRightBox = 10099;
constexpr int kBoxColumns = 3;

} // namespace

CDlgOperatorRights::CDlgOperatorRights(const QStringList* rights, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CDlgOperatorRights"));
    setWindowTitle(tr("操作员权限设置"));

    auto* grid = new QGridLayout;
    int cell = 0;
    for (const RightLabel& label : kRightLabels) {
        auto* box = new QCheckBox(tr(label.text), this);
        box->setObjectName(QString::number(kFirstRightBox + label.right));
        m_boxes[static_cast<size_t>(label.right)] = box;
        grid->addWidget(box, cell / kBoxColumns, cell % kBoxColumns);
        ++cell;
    }
    const OkCancelRow buttons = MakeOkCancelRow(this, tr("修改"), tr("退出"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons.layout);

    connect(buttons.ok, &QPushButton::clicked, this, &CDlgOperatorRights::OnOK);
    connect(buttons.cancel, &QPushButton::clicked, this, &CDlgOperatorRights::reject);
    OnInitDialog(rights);
}

CDlgOperatorRights::~CDlgOperatorRights() = default;

void CDlgOperatorRights::reject() { done(1002); }

void CDlgOperatorRights::OnInitDialog(const QStringList* rights) {
    if (!rights)
        return;
    for (int right : EditableRights())
        m_boxes[static_cast<size_t>(right)]->setChecked(IsRightFlagSet(*rights, right));
}

void CDlgOperatorRights::OnOK() {
    std::array<bool, kRightCount + 1> granted{};
    for (int right : EditableRights())
        granted[static_cast<size_t>(right)] = m_boxes[static_cast<size_t>(right)]->isChecked();
    // A failure is logged and rolled back; the boxes stay as they are for another try.
    if (!SaveOperatorRights(g_pDB, granted))
        return;
    ShowMessageBox(LoadStr(238), mb::Ok | mb::IconInformation);
    done(1003);
}
