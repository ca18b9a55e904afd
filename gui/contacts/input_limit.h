#pragma once
// Length limits that apply only to what the user types or pastes. A text the
// program puts into the box (a stored value longer than the limit) stays
// whole; the user may shorten it but not make it longer.
#include <QString>

class QLineEdit;
class QPlainTextEdit;

void LimitUserInput(QLineEdit* edit, int maxLength);
void LimitUserInput(QPlainTextEdit* edit, int maxLength);

// Puts `text` into a limited multi-line box without cutting it.
void SetProgramText(QPlainTextEdit* edit, const QString& text);

// The text after an edit turned `before` into `after`, with the inserted part
// cut so the whole holds at most `maxLength` characters (nothing is inserted
// into a text already that long). Deletions always pass. `cursor` is where
// the cursor goes: after the part kept.
QString LimitEdit(const QString& before, const QString& after, int maxLength, int* cursor = nullptr);
