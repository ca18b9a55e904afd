#pragma once
// The one road by which windows run a modal dialog and ask for a file name.
// Tests replace the runner (so no test hangs in a nested event loop) and
// queue the file names the next choosers answer.
#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <optional>

class QDialog;
class QWidget;

// Runs `dialog` modally and returns its result. By default dialog.exec().
int RunModal(QDialog& dialog);

using ModalRunner = std::function<int(QDialog&)>;
// Replaces the runner; returns the previous one. An empty runner restores
// the default.
ModalRunner SetModalRunner(ModalRunner runner);

// A wizard's next step: runs `step` (through RunModal) in place of `caller`,
// a modal dialog that is hidden meanwhile. When the step's result is one of
// `endResults` the caller ends with it, unseen; otherwise it shows itself
// again and goes on. (A plain hide() would end the caller's own modal loop
// once the step returns, and a hidden dialog's done() would not end it.)
// Returns the step's result.
int RunWizardStep(QDialog& caller, QDialog& step, std::initializer_list<int> endResults);

// The dialog RunModal is running now (innermost), or null.
QDialog* CurrentModalDialog();

// "Name(*.ext)|*.ext|Other|*.x;*.y||" (the filter form of the stored texts)
// as a Qt name filter list ("Name(*.ext) (*.ext);;Other (*.x *.y)").
QString QtFileFilter(const QString& pipeFilter);

// An open-file question; empty when cancelled. `filter` in the pipe form.
QString ChooseOpenFile(QWidget* parent, const QString& filter, const QString& caption = QString());
// An open-file question that takes several files; empty when cancelled. A
// test's queued name answers it with its lines, one file a line.
QStringList ChooseOpenFiles(QWidget* parent, const QString& filter, const QString& caption = QString());
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
