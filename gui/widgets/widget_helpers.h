#pragma once
// Checks, questions and pieces that many dialogs share: an edit box that must
// not be empty, a number-list box, the "really close?" question of the
// composers, the tray balloon, and the control ids of the forms.
#include <QDate>
#include <QString>
#include <functional>
#include <optional>

class QAbstractItemView;
class QCheckBox;
class QDialog;
class QDateEdit;
class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;
class QSystemTrayIcon;
class QTextEdit;
class QWidget;

// Trims the box's text; when nothing is left, says "内容不能为空." with the
// warning icon, empties the box, gives it the focus and returns false.
bool CheckEditNotEmpty(QLineEdit* edit);
bool CheckEditNotEmpty(QPlainTextEdit* edit);
bool CheckEditNotEmpty(QTextEdit* edit);

// For a box of numbers, one a line: every "," becomes a line feed. The text
// is written back (caret at the end) only when a comma was replaced, so a
// caller connected to textChanged is not called again for its own write.
// False when any character is not a digit, CR, LF or blank.
bool CheckNumberListEdit(QPlainTextEdit* edit);
bool CheckNumberListEdit(QTextEdit* edit);

// The exit question of the wizards and composers: "确定退出?" titled
// "退出确认" (Yes/No). On Yes `dialog`, when given, ends with 1002. True for Yes.
bool ConfirmExit(QDialog* dialog = nullptr);

// When a composer closes: true at once when its content and its number list
// are empty; otherwise asks "确定退出?" (Yes/No) and returns true for Yes.
bool ConfirmCloseIfEdited(const QString& content, int listRows);
// A null widget counts as empty.
bool ConfirmCloseIfEdited(const QTextEdit* content, int listRows);
bool ConfirmCloseIfEdited(const QPlainTextEdit* content, int listRows);
bool ConfirmCloseIfEdited(const QLineEdit* content, int listRows);
bool ConfirmCloseIfEdited(const QTextEdit* content, const QAbstractItemView* list);
bool ConfirmCloseIfEdited(const QPlainTextEdit* content, const QAbstractItemView* list);
bool ConfirmCloseIfEdited(const QLineEdit* content, const QAbstractItemView* list);

// For windows that only their own buttons may end: true (and the key
// accepted) for Enter, Return and Esc, which then do nothing.
bool SwallowEnterAndEsc(QKeyEvent* event);
// The same for Enter and Return alone (Esc keeps its meaning).
bool SwallowEnter(QKeyEvent* event);

// Every command and view that an operator right guards: when the logged-in
// user lacks `right` (-1: administrators only), says "您没有相应权限进行此
// 操作." with the warning icon and returns true.
bool RefuseIfRightDenied(int right);

// The question before deleting `count` rows: true for yes.
bool ConfirmDeleteCount(qint64 count);
// What a delete of records came to: done, or failed (nothing deleted).
void ShowDeleteOutcome(bool ok);

// A date of a query that counts only while its box is ticked: today, shown
// "yyyy-MM-dd", switched off until the box is ticked.
void SetUpTickedDate(QCheckBox* tick, QDateEdit* edit);
// The date of such a query: none while its box is not ticked.
std::optional<QDate> TickedDate(const QCheckBox* tick, const QDateEdit* edit);

// The rows of a list, 0 for a null view or one without a model.
int ItemViewRowCount(const QAbstractItemView* list);

// The program's tray icon; null until the main window makes one, and reset
// to null by the window before the icon goes away.
extern QSystemTrayIcon* g_trayIcon;

// Shows a balloon (information icon, 300 ms) from the tray icon. Without a
// tray icon or a system tray it does nothing. Safe to call from any thread:
// off the GUI thread the balloon is handed to it.
void ShowTrayBalloon(const QString& title, const QString& text);

// Designer takes only C++ identifiers as object names, so a form names its
// controls for the code ("ok", "password") and gives each control that has a
// control id the dynamic property "controlId". This makes every such id the
// control's object name, so lookups and tests find a control by its number.
// Call it right after setupUi.
void ApplyControlIds(QWidget* root);

// The last step of ShowTrayBalloon, on the GUI thread with the icon that is
// up: by default the icon's own balloon when a system tray exists. Tests
// replace it to see what arrives; returns the previous one.
using TrayBalloonPresenter =
    std::function<void(QSystemTrayIcon& icon, const QString& title, const QString& text)>;
TrayBalloonPresenter SetTrayBalloonPresenter(TrayBalloonPresenter presenter);
