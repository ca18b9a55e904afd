#include "tests/support/dialog_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

void Click(QWidget& dialog, const char* id) {
    Child<QAbstractButton>(dialog, id)->click();
}

void Type(QLineEdit* edit, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

void Fill(QWidget& dialog, std::initializer_list<std::pair<const char*, QString>> boxes) {
    for (const auto& [id, text] : boxes)
        Type(Child<QLineEdit>(dialog, id), text);
}
