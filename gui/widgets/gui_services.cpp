#include "gui/widgets/gui_services.h"

#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "platform/url_open.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include <QUrl>

namespace {

QMessageBox::Icon IconOf(unsigned type) {
    switch (type & mb::IconMask) {
    case mb::IconError:
        return QMessageBox::Critical;
    case mb::IconQuestion:
        return QMessageBox::Question;
    case mb::IconWarning:
        return QMessageBox::Warning;
    case mb::IconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int ShowOnGuiThread(const MessageBoxRequest& req) {
    QMessageBox box(IconOf(req.type), req.title, req.text, QMessageBox::NoButton, QApplication::activeWindow());
    switch (req.type & mb::ButtonMask) {
    case mb::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case mb::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case mb::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

} // namespace

void InstallGuiServices() {
    SetMessageBoxHandler([](const MessageBoxRequest& req) -> int {
        if (!req.fromWorkerThread)
            return ShowOnGuiThread(req);
        // A worker never waits on a modal box: the box is posted to the GUI
        // thread and the worker goes on with the plain answer.
        QMetaObject::invokeMethod(qApp, [req] { ShowOnGuiThread(req); }, Qt::QueuedConnection);
        return IDOK;
    });
    SetTrayBalloonHandler([](const QString& title, const QString& text) { ShowTrayBalloon(title, text); });
    SetUrlOpener([](const QString& url) { return QDesktopServices::openUrl(QUrl(url)); });
}
