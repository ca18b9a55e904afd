#include "gui/main/operator_rights_dialog.h"

#include "core/database.h"
#include "core/login_accounts.h"
#include "core/string_table.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_operator_rights_dialog.h"

#include <QCheckBox>
#include <QPushButton>

#include <type_traits>

CDlgOperatorRights::CDlgOperatorRights(const QStringList* rights, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgOperatorRights>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    // Named members, so a box missing from the form fails the build.
    const Ui::CDlgOperatorRights& ui = *m_ui;
    m_boxes = {nullptr,    ui.right1,  ui.right2,  ui.right3,  ui.right4,  ui.right5,  nullptr,
               ui.right7,  ui.right8,  ui.right9,  ui.right10, ui.right11, ui.right12, ui.right13,
               ui.right14, ui.right15, ui.right16, ui.right17, ui.right18, ui.right19, ui.right20};
    static_assert(std::tuple_size_v<decltype(m_boxes)> == kRightCount + 1);

    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgOperatorRights::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgOperatorRights::reject);
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
