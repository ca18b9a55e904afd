#include "platform/msgbox_gui.h"

#include "platform/msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>

#include <memory>

namespace {

// How long a worker waits for the user to answer its question. A box left
// unanswered longer than this no longer holds up the worker's job: the
// worker takes the cautious answer and a later click is ignored.
constexpr int kWorkerQuestionWaitMs = 10 * 60 * 1000;

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
    QMessageBox box(IconOf(req.type), req.title, req.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
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
    box.exec();
    // A box ended without a button (by "quit", which ends every open dialog)
    // gets the cautious answer, never OK.
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Ok:
        return IDOK;
    default:
        return CautiousAnswer(req.type);
    }
}

// A worker asks and waits for the answer from the GUI thread; the box is
// shown there unless the worker stopped waiting before it came up.
int AskFromWorker(const MessageBoxRequest& req) {
    if (MessageBoxesClosing())
        return CautiousAnswer(req.type);
    auto answer = std::make_shared<MessageBoxAnswer>();
    QMetaObject::invokeMethod(
        qApp,
        [req, answer] {
            if (answer->settled() || MessageBoxesClosing())
                return;
            answer->set(ShowOnGuiThread(req));
        },
        Qt::QueuedConnection);
    return answer->wait(req.type, kWorkerQuestionWaitMs);
}

} // namespace

void InstallGuiMessageBoxes() {
    SetMessageBoxHandler([](const MessageBoxRequest& req) -> int {
        if (!req.fromWorkerThread)
            return ShowOnGuiThread(req);
        if ((req.type & mb::ButtonMask) != mb::Ok)
            return AskFromWorker(req);
        // A plain message has nothing to answer: the worker goes on.
        QMetaObject::invokeMethod(
            qApp, [req] { ShowOnGuiThread(req); }, Qt::QueuedConnection);
        return IDOK;
    });
}
