#include "tests/support/msgbox_recorder.h"

#include <QStringList>

MessageBoxRecorder::MessageBoxRecorder() {
    m_previous = SetMessageBoxHandler([this](const MessageBoxRequest& r) { return answer(r); });
    m_previousBalloon = SetTrayBalloonHandler([this](const QString& title, const QString& text) {
        std::lock_guard lock(m_mutex);
        m_balloons << title + QLatin1Char('|') + text;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    SetMessageBoxHandler(m_previous);
    SetTrayBalloonHandler(m_previousBalloon);
}

QStringList MessageBoxRecorder::balloons() const {
    std::lock_guard lock(m_mutex);
    return m_balloons;
}

void MessageBoxRecorder::queueAnswer(int a) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(a);
}

std::vector<MessageBoxRequest> MessageBoxRecorder::shown() const {
    std::lock_guard lock(m_mutex);
    return m_shown;
}

QStringList MessageBoxRecorder::texts() const {
    std::lock_guard lock(m_mutex);
    QStringList out;
    for (const auto& r : m_shown)
        out << r.text;
    return out;
}

void MessageBoxRecorder::clear() {
    std::lock_guard lock(m_mutex);
    m_shown.clear();
    m_balloons.clear();
}

int MessageBoxRecorder::answer(const MessageBoxRequest& req) {
    std::lock_guard lock(m_mutex);
    m_shown.push_back(req);
    if (!m_answers.empty()) {
        int a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    return (req.type & mb::ButtonMask) == mb::YesNo || (req.type & mb::ButtonMask) == mb::YesNoCancel ? IDYES : IDOK;
}
