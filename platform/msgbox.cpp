#include "platform/msgbox.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>
#include <mutex>

namespace {
std::mutex g_mutex;
MessageBoxHandler g_handler;
TrayBalloonHandler g_balloon;
QString g_title;
} // namespace

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard lock(g_mutex);
    std::swap(g_handler, handler);
    return handler;
}

void SetMessageBoxTitle(const QString& title) {
    std::lock_guard lock(g_mutex);
    g_title = title;
}

QString MessageBoxTitle() {
    std::lock_guard lock(g_mutex);
    return g_title;
}

int ShowMessageBox(const QString& text, unsigned type, const QString& title) {
    MessageBoxRequest req;
    req.text = text;
    req.type = type;
    MessageBoxHandler handler;
    {
        std::lock_guard lock(g_mutex);
        req.title = title.isNull() ? g_title : title;
        handler = g_handler;
    }
    auto* app = QCoreApplication::instance();
    req.fromWorkerThread = app && QThread::currentThread() != app->thread();
    if (handler)
        return handler(req);
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(req.title), qUtf8Printable(req.text));
    switch (type & mb::ButtonMask) {
    case mb::YesNo:
        return IDNO;
    case mb::OkCancel:
    case mb::YesNoCancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

TrayBalloonHandler SetTrayBalloonHandler(TrayBalloonHandler handler) {
    std::lock_guard lock(g_mutex);
    std::swap(g_balloon, handler);
    return handler;
}

void ShowTrayBalloonMessage(const QString& title, const QString& text) {
    TrayBalloonHandler handler;
    {
        std::lock_guard lock(g_mutex);
        handler = g_balloon;
    }
    if (handler)
        handler(title, text);
}
