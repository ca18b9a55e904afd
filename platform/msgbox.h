#pragma once
// One road for every message box. The GUI installs a handler that shows the
// box on the GUI thread; tests install a recorder. Code on a worker thread
// calls the same function: a plain box is handed to the GUI thread and the
// worker goes on; a question waits, bounded, for the GUI thread's answer.
#include <QString>
#include <functional>

// Button and icon flags, and the answers, with the numbers the dialogs use.
namespace mb {
constexpr unsigned Ok = 0x0;
constexpr unsigned OkCancel = 0x1;
constexpr unsigned YesNoCancel = 0x3;
constexpr unsigned YesNo = 0x4;
constexpr unsigned IconError = 0x10;
constexpr unsigned IconQuestion = 0x20;
constexpr unsigned IconWarning = 0x30;  // the exclamation icon
constexpr unsigned IconInformation = 0x40;
constexpr unsigned ButtonMask = 0x0F;
constexpr unsigned IconMask = 0xF0;
} // namespace mb

enum DialogResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct MessageBoxRequest {
    QString text;
    QString title;
    unsigned type = mb::Ok;
    bool fromWorkerThread = false;
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Replaces the handler; returns the previous one (tests restore it).
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The title used when a caller gives none: the product's display name.
void SetMessageBoxTitle(const QString& title);
QString MessageBoxTitle();

// The answer that changes nothing: IDOK for a plain box, IDNO for Yes/No,
// IDCANCEL for OK/Cancel and Yes/No/Cancel.
int CautiousAnswer(unsigned type);

// A question a worker thread asked, on its way to the GUI thread. The GUI
// thread answers it with set(); the worker waits in wait(). The first answer
// counts; one that comes after the worker stopped waiting is dropped.
class MessageBoxAnswer {
public:
    void set(int answer);
    // True once answered, or once the worker gave up waiting: the box need
    // not be shown any more.
    bool settled() const;
    // The GUI thread's answer, or the cautious answer for `type` after
    // `timeoutMs` or as soon as the program is closing (CloseMessageBoxes).
    int wait(unsigned type, int timeoutMs);

private:
    int m_answer = 0;
    bool m_settled = false;
};

// The program is closing: workers that wait for an answer get the cautious
// one now, and later questions get it at once. ReopenMessageBoxes undoes it
// (tests that run start-up more than once).
void CloseMessageBoxes();
void ReopenMessageBoxes();
bool MessageBoxesClosing();

// Shows a box and returns the answer. Without a handler (no GUI) the text
// goes to standard error and the answer is the cautious one: IDOK for a plain
// box, IDNO or IDCANCEL for a question.
int ShowMessageBox(const QString& text, unsigned type = mb::Ok, const QString& title = QString());

// The tray balloon ("您有新的短信，请注意查收！"): shown by the GUI's tray icon,
// recorded by tests, dropped when neither is installed.
using TrayBalloonHandler = std::function<void(const QString& title, const QString& text)>;
TrayBalloonHandler SetTrayBalloonHandler(TrayBalloonHandler handler);
void ShowTrayBalloonMessage(const QString& title, const QString& text);
