#include "gui/widgets/rich_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>

namespace {

bool IsAllowedDigitChar(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+');
}

// Characters that are typed text rather than an editing key (Backspace,
// Enter, Tab and Delete arrive as control characters).
bool IsPrintable(const QString& text) {
    for (QChar c : text)
        if (c.category() == QChar::Other_Control)
            return false;
    return !text.isEmpty();
}

} // namespace

MyRichEditCtrl::MyRichEditCtrl(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(false);
}

std::unique_ptr<QMenu> MyRichEditCtrl::BuildContextMenu() {
    auto menu = std::make_unique<QMenu>(this);
    const bool selected = textCursor().hasSelection();
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool clipboardText = clip && clip->hasText();

    QAction* cutAction = menu->addAction(tr("剪切"));
    connect(cutAction, &QAction::triggered, this, &QTextEdit::cut);
    cutAction->setEnabled(selected);
    QAction* copyAction = menu->addAction(tr("复制"));
    connect(copyAction, &QAction::triggered, this, &QTextEdit::copy);
    copyAction->setEnabled(selected);
    QAction* pasteAction = menu->addAction(tr("粘贴"));
    connect(pasteAction, &QAction::triggered, this, &QTextEdit::paste);
    pasteAction->setEnabled(clipboardText);
    QAction* deleteAction = menu->addAction(tr("删除"));
    connect(deleteAction, &QAction::triggered, this, [this] { textCursor().removeSelectedText(); });
    deleteAction->setEnabled(selected);
    menu->addSeparator();
    QAction* allAction = menu->addAction(tr("全选"));
    connect(allAction, &QAction::triggered, this, &QTextEdit::selectAll);
    allAction->setEnabled(!document()->isEmpty());
    return menu;
}

void MyRichEditCtrl::contextMenuEvent(QContextMenuEvent* event) {
    m_bMenuShown = true;
    std::unique_ptr<QMenu> menu = BuildContextMenu();
    menu->exec(event->globalPos());
    m_bMenuShown = false;
    event->accept();
}

void MyRichEditCtrl::keyPressEvent(QKeyEvent* event) {
    // Ctrl shortcuts (Ctrl+V among them) are never filtered; AltGr, which
    // some keyboards report as Ctrl+Alt, still types characters.
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool shortcut = (mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier);
    if (m_bDigitsOnly && !shortcut && IsPrintable(event->text())) {
        for (QChar c : event->text()) {
            if (!IsAllowedDigitChar(c)) {
                event->accept();
                return;
            }
        }
    }
    QTextEdit::keyPressEvent(event);
}

void MyRichEditCtrl::inputMethodEvent(QInputMethodEvent* event) {
    if (!m_bDigitsOnly || event->commitString().isEmpty()) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    QString kept;
    for (QChar c : event->commitString())
        if (IsAllowedDigitChar(c))
            kept += c;
    if (kept == event->commitString()) {
        QTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QTextEdit::inputMethodEvent(&filtered);
    event->accept();
}

bool MyRichEditCtrl::canInsertFromMimeData(const QMimeData* source) const {
    return source && source->hasText();
}

void MyRichEditCtrl::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText())
        return;
    QTextCursor cursor = textCursor();
    // The text takes the format of where it lands, never its own.
    cursor.insertText(source->text());
    setTextCursor(cursor);
    ensureCursorVisible();
}
