#pragma once
// Captures every message box instead of showing it, and answers questions
// from a queue (IDOK/IDYES when the queue is empty).
#include "platform/msgbox.h"

#include <QStringList>

#include <deque>
#include <mutex>
#include <vector>

class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void queueAnswer(int answer);
    std::vector<MessageBoxRequest> shown() const;
    QStringList texts() const;
    void clear();
    // Tray balloons, as "title|text".
    QStringList balloons() const;

private:
    int answer(const MessageBoxRequest& req);
    mutable std::mutex m_mutex;
    std::vector<MessageBoxRequest> m_shown;
    std::deque<int> m_answers;
    QStringList m_balloons;
    MessageBoxHandler m_previous;
    TrayBalloonHandler m_previousBalloon;
};
