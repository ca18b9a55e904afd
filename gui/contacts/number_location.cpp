#include "gui/contacts/number_location.h"

#include "core/deployment.h"
#include "platform/msgbox.h"
#include "platform/url_open.h"

#include <QCoreApplication>

namespace {
QString Tr(const char* text) {
    return QCoreApplication::translate("CDlgTelNumAttri", text);
}
} // namespace

QString CDlgTelNumAttri::PageUrl() {
    const QString host = DeploymentValue(DeploymentKey::NumberLocationHost);
    if (IsRefusedHost(host))
        return QString();
    return QStringLiteral("http://") + host + QStringLiteral("/Locating/query.aspx?m=");
}

bool CDlgTelNumAttri::Open(QWidget*) {
    const QString url = PageUrl();
    if (url.isEmpty()) {
        ShowMessageBox(Tr("手机号归属地查询地址未配置"), mb::Ok | mb::IconWarning);
        return false;
    }
    if (!OpenUrlExternally(url)) {
        ShowMessageBox(Tr("无法打开网页"), mb::Ok | mb::IconWarning);
        return false;
    }
    return true;
}
