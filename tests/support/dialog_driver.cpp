#include "tests/support/dialog_driver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
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

QStringList ShownTexts(QWidget& dialog) {
    QStringList texts{dialog.windowTitle()};
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(w))
            texts << label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            texts << button->text();
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            texts << box->title();
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        }
        if (auto* table = qobject_cast<QTableWidget*>(w)) {
            for (int c = 0; c < table->columnCount(); ++c)
                texts << (table->horizontalHeaderItem(c) ? table->horizontalHeaderItem(c)->text()
                                                         : QString());
        }
    }
    return texts;
}

bool HasChinese(const QString& text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x303f) || (u >= 0x4e00 && u <= 0x9fff) || (u >= 0xff00 && u <= 0xffef))
            return true;
    }
    return false;
}

void SendKey(QWidget* w, int key, Qt::KeyboardModifiers mods, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}
