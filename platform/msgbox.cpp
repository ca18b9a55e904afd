#include "platform/msgbox.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {
std::mutex g_mutex;
MessageBoxHandler g_handler;
TrayBalloonHandler g_balloon;
QString g_title;

// Guards every MessageBoxAnswer and the closing flag; one condition wakes
// the waiting workers on an answer and on closing.
std::mutex g_answerMutex;
std::condition_variable g_answerChanged;
bool g_closing = false;
} // namespace

int CautiousAnswer(unsigned type) {
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

void MessageBoxAnswer::set(int answer) {
    {
        std::lock_guard lock(g_answerMutex);
        if (m_settled)
            return;
        m_answer = answer;
        m_settled = true;
    }
    g_answerChanged.notify_all();
}

bool MessageBoxAnswer::settled() const {
    std::lock_guard lock(g_answerMutex);
    return m_settled;
}

int MessageBoxAnswer::wait(unsigned type, int timeoutMs) {
    std::unique_lock lock(g_answerMutex);
    g_answerChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return m_settled || g_closing; });
    if (!m_settled) {
        m_answer = CautiousAnswer(type);
        m_settled = true;
    }
    return m_answer;
}

void CloseMessageBoxes() {
    {
        std::lock_guard lock(g_answerMutex);
        g_closing = true;
    }
    g_answerChanged.notify_all();
}

void ReopenMessageBoxes() {
    std::lock_guard lock(g_answerMutex);
    g_closing = false;
}

bool MessageBoxesClosing() {
    std::lock_guard lock(g_answerMutex);
    return g_closing;
}

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
    return CautiousAnswer(type);
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
