#pragma once
// Driving a dialog from a test the way a user would: its controls found by
// their object names, buttons clicked, text typed key by key.
#include <QString>
#include <QWidget>

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>

class QLineEdit;

// QDialog::result() of a dialog that no handler ended.
constexpr int kStayedOpen = 0;

// The child control named `id`. A missing control throws, so the test fails
// there and names the control instead of crashing later on a null pointer.
template <typename T> T* Child(QWidget& parent, const QString& id) {
    T* child = parent.findChild<T*>(id);
    if (!child)
        throw std::runtime_error("no control " + id.toStdString());
    return child;
}
template <typename T> T* Child(QWidget& parent, const char* id) {
    return Child<T>(parent, QString::fromLatin1(id));
}

// Clicks the button named `id`.
void Click(QWidget& dialog, const char* id);

// Types the text key by key, as a user would, so validators, maximum lengths
// and textEdited handlers all take part.
void Type(QLineEdit* edit, const QString& text);

// What a window shows: its title, the texts of its labels and buttons, the
// titles of its group boxes, the items of its combos and the column names of
// its tables.
QStringList ShownTexts(QWidget& window);
// True when the text holds a Chinese character or Chinese punctuation.
bool HasChinese(const QString& text);

// Presses and releases `key` on `w` (with `text` as a typed character).
void SendKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString());

// Types each text into the box of that name, in the order given.
void Fill(QWidget& dialog, std::initializer_list<std::pair<const char*, QString>> boxes);
