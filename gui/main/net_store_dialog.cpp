#include "gui/main/net_store_dialog.h"

#include "core/service_pages.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_net_store_dialog.h"

#include <QPushButton>

CDlgNetStore::CDlgNetStore(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgNetStore>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->close, &QPushButton::clicked, this, &CDlgNetStore::reject);
}

CDlgNetStore::~CDlgNetStore() = default;

void CDlgNetStore::reject() {
    done(IDCANCEL);
}

void CDlgNetStore::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_tried)
        OpenPage();
}

void CDlgNetStore::OpenPage() {
    m_tried = true;
    m_opened = OpenServicePage(OpenAccountWebPage(SelfServicePageUrl(), QStringLiteral("sn"),
                                                  QStringLiteral("pwd"), QStringLiteral("hard")));
    m_ui->note->setText(m_opened ? tr("网络硬盘已在浏览器中打开。") : tr("无法打开网络硬盘页面。"));
}
