#include "gui/widgets/gui_services.h"

#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "platform/msgbox_gui.h"
#include "platform/url_open.h"

#include <QDesktopServices>
#include <QUrl>

void InstallGuiServices() {
    InstallGuiMessageBoxes();
    SetTrayBalloonHandler([](const QString& title, const QString& text) { ShowTrayBalloon(title, text); });
    SetUrlOpener([](const QString& url) { return QDesktopServices::openUrl(QUrl(url)); });
}
