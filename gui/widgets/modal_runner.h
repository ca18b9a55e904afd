#pragma once
// The one road by which windows run a modal dialog and ask for a file name.
// Tests replace the runner (so no test hangs in a nested event loop) and
// queue the file names the next choosers answer.
#include <QString>

#include <functional>
#include <optional>

class QDialog;
class QWidget;

// Runs `dialog` modally and returns its result. By default dialog.exec().
int RunModal(QDialog& dialog);

using ModalRunner = std::function<int(QDialog&)>;
// Replaces the runner; returns the previous one. An empty runner restores
// the default.
ModalRunner SetModalRunner(ModalRunner runner);

// The dialog RunModal is running now (innermost), or null.
QDialog* CurrentModalDialog();

// "Name(*.ext)|*.ext|Other|*.x;*.y||" (the filter form of the stored texts)
// as a Qt name filter list ("Name(*.ext) (*.ext);;Other (*.x *.y)").
QString QtFileFilter(const QString& pipeFilter);

// An open-file question; empty when cancelled. `filter` in the pipe form.
QString ChooseOpenFile(QWidget* parent, const QString& filter, const QString& caption = QString());
// A save-file question proposing `proposedName`; `defaultSuffix` ("bak")
// is added to a name typed without one. No overwrite question is asked.
// Empty when cancelled.
QString ChooseSaveFile(QWidget* parent, const QString& filter, const QString& proposedName,
                       const QString& defaultSuffix, const QString& caption = QString());

// Test hook: the next chooser answers `name` without showing anything (an
// empty name is a cancel). Names queue up in order; std::nullopt clears the
// queue so the real dialogs come back.
void SetNextFileName(std::optional<QString> name);
// What the last chooser was asked: its proposed name ("" for an open).
QString LastProposedFileName();
