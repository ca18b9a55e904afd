#include "gui/contacts/input_limit.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>

#include <algorithm>
#include <memory>

QString LimitEdit(const QString& before, const QString& after, int maxLength, int* cursor) {
    const qsizetype common = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < common && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < common - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    const qsizetype inserted = after.size() - prefix - suffix;
    const qsizetype kept = after.size() - inserted; // what stays of the old text
    const qsizetype room = std::max<qsizetype>(0, maxLength - kept);
    if (inserted <= room) {
        if (cursor)
            *cursor = static_cast<int>(prefix + inserted);
        return after;
    }
    if (cursor)
        *cursor = static_cast<int>(prefix + room);
    return after.left(prefix) + after.mid(prefix, room) + after.right(suffix);
}

namespace {

// The last two texts of a box, followed through every change, so an edit can
// be compared with the text before it whichever signal comes first.
struct TextHistory {
    QString previous;
    QString current;
    void changed(const QString& text) {
        previous = current;
        current = text;
    }
    const QString& before(const QString& edited) const { return edited == current ? previous : current; }
};

} // namespace

void LimitUserInput(QLineEdit* edit, int maxLength) {
    auto history = std::make_shared<TextHistory>();
    history->current = edit->text();
    QObject::connect(edit, &QLineEdit::textChanged, edit,
                     [history](const QString& text) { history->changed(text); });
    // textEdited comes only from typing and pasting, never from setText.
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, history, maxLength](const QString& text) {
        int cursor = 0;
        const QString limited = LimitEdit(history->before(text), text, maxLength, &cursor);
        if (limited == text)
            return;
        edit->setText(limited);
        edit->setCursorPosition(cursor);
    });
}

namespace {
constexpr char kProgramSetting[] = "corvelaneProgramSetting";
}

void LimitUserInput(QPlainTextEdit* edit, int maxLength) {
    auto history = std::make_shared<TextHistory>();
    history->current = edit->toPlainText();
    auto busy = std::make_shared<bool>(false);
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit, history, busy, maxLength] {
        const QString text = edit->toPlainText();
        if (*busy || edit->property(kProgramSetting).toBool() || text == history->current) {
            history->changed(text);
            return;
        }
        int cursor = 0;
        const QString limited = LimitEdit(history->current, text, maxLength, &cursor);
        if (limited != text) {
            *busy = true;
            edit->setPlainText(limited);
            QTextCursor c = edit->textCursor();
            c.setPosition(cursor);
            edit->setTextCursor(c);
            *busy = false;
        }
        history->changed(limited);
    });
}

void SetProgramText(QPlainTextEdit* edit, const QString& text) {
    edit->setProperty(kProgramSetting, true);
    edit->setPlainText(text);
    edit->setProperty(kProgramSetting, false);
}
