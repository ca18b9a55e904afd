#pragma once
// What the running program does with the messages of its inbox.
#include <QByteArray>
#include <functional>

class QWidget;

// "quit": every open dialog ends as if cancelled, through its own reject()
// (its cancel handler runs and it returns its own cancel result), and
// start-up goes on to its normal exit sequence. A reject() must therefore
// not ask questions once QuitRequested() is true.
// A dialog that is finishing work it must not drop (a send with a batch on
// the wire) sets the property kFinishingWorkProperty while it works: its
// reject() is still called (so it can stop early), but it is not forced to
// end; the quit goes on once it has ended by itself.
void RequestQuit();
inline constexpr char kFinishingWorkProperty[] = "finishingWork";
bool QuitRequested();
// Forgets an earlier request (tests that run the start-up pieces more than once).
void ClearQuitRequest();

// The language switch: the program starts itself again once it has ended,
// after its inbox and logs are closed (else the new start would find the
// ending one and only bring it forward).
void RequestRestart();
bool RestartRequested();

// "show": the window that is up comes to the front and asks for attention.
// Returns that window (null when none is up).
QWidget* BringProgramToFront();

// Add-in commands (fields joined by ",|,|", code page 936). The main window
// registers its handler; until then commands are logged and ignored.
using InstanceCommandHandler = std::function<void(const QByteArray& command)>;
void SetInstanceCommandHandler(InstanceCommandHandler handler);

// Dispatches one inbox message.
void HandleInstanceMessage(const QByteArray& message);
