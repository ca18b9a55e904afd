#include "gui/main/net_mgt_view.h"

#include "core/service_pages.h"
#include "gui/widgets/widget_helpers.h"

#include "ui_net_mgt_view.h"

#include <QPushButton>

CDlgNetMGT::CDlgNetMGT(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::CDlgNetMGT>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->openInBrowser, &QPushButton::clicked, this, &CDlgNetMGT::OnOpenInBrowser);
    SetNodeCode(kSelfServiceNode);
}

CDlgNetMGT::~CDlgNetMGT() = default;

void CDlgNetMGT::SetNodeCode(qint64 code) {
    m_nodeCode = code;
    m_ui->pageName->setText(code == kSelfServiceNode ? tr("自助服务列表") : tr("管理后台"));
}

bool CDlgNetMGT::OnOpenInBrowser() {
    if (m_nodeCode == kSelfServiceNode)
        return OpenServicePage(OpenAccountWebPage(SelfServicePageUrl(), QStringLiteral("sn"),
                                                  QStringLiteral("pwd"), QStringLiteral("list")));
    // Carries the plain password: handed to the browser, nowhere else.
    return OpenServicePage(AdministrationPageUrl());
}
