#pragma once
// A text box with its own context menu (cut, copy, paste, delete, select
// all) that only ever takes plain text in: menu, Ctrl+V and drops alike, so
// formatting copied from a word processor never reaches a message.
#include <QTextEdit>

#include <memory>

class QMenu;

class MyRichEditCtrl : public QTextEdit {
    Q_OBJECT
public:
    explicit MyRichEditCtrl(QWidget* parent = nullptr);

    // Builds the context menu as it would be shown now: cut, copy and delete
    // need a selection, paste needs text on the clipboard, select-all needs
    // text in the box. The actions act on this control.
    std::unique_ptr<QMenu> BuildContextMenu();

    // True while the context menu is open.
    bool m_bMenuShown = false;
    // Set by the owner: typed characters other than the digits and "+" are
    // refused. Editing keys and shortcuts still work, and pasted text is
    // taken as it is.
    bool m_bDigitsOnly = false;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};
