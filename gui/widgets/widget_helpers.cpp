#include "gui/widgets/widget_helpers.h"

#include <QCheckBox>
#include <QDate>
#include <QDateEdit>

#include "core/helpers.h"
#include "core/string_table.h"

#include "platform/msgbox.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>
#include <QTextCursor>
#include <QTextEdit>
#include <QThread>
#include <QVariant>
#include <QWidget>

QSystemTrayIcon* g_trayIcon = nullptr;

namespace {
void PresentOnTray(QSystemTrayIcon& icon, const QString& title, const QString& text) {
    if (QSystemTrayIcon::isSystemTrayAvailable())
        icon.showMessage(title, text, QSystemTrayIcon::Information, 300);
}
// Used on the GUI thread only.
TrayBalloonPresenter g_balloonPresenter = &PresentOnTray;
} // namespace

TrayBalloonPresenter SetTrayBalloonPresenter(TrayBalloonPresenter presenter) {
    std::swap(g_balloonPresenter, presenter);
    if (!g_balloonPresenter)
        g_balloonPresenter = &PresentOnTray;
    return presenter;
}

namespace {
constexpr char kControlIdProperty[] = "controlId";

QString Tr(const char* text) { return QCoreApplication::translate("WidgetHelpers", text); }

template <typename Edit> bool CheckNotEmpty(Edit* edit, const QString& text) {
    if (!edit)
        return false;
    if (!text.trimmed().isEmpty())
        return true;
    ShowMessageBox(Tr("内容不能为空."), mb::Ok | mb::IconWarning);
    edit->clear();
    edit->setFocus();
    return false;
}

bool IsNumberListChar(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || u == u'\r' || u == u'\n' || u == u' ';
}

// QPlainTextEdit and QTextEdit share the calls used here but no base class.
template <typename Edit> bool CheckNumberList(Edit* edit) {
    if (!edit)
        return false;
    QString text = edit->toPlainText();
    if (text.contains(QLatin1Char(','))) {
        text.replace(QLatin1Char(','), QLatin1Char('\n'));
        edit->setPlainText(text);
        edit->moveCursor(QTextCursor::End);
    }
    for (QChar c : std::as_const(text)) {
        if (!IsNumberListChar(c))
            return false;
    }
    return true;
}
} // namespace

bool CheckEditNotEmpty(QLineEdit* edit) { return CheckNotEmpty(edit, edit ? edit->text() : QString()); }

bool CheckEditNotEmpty(QPlainTextEdit* edit) {
    return CheckNotEmpty(edit, edit ? edit->toPlainText() : QString());
}

bool CheckEditNotEmpty(QTextEdit* edit) {
    return CheckNotEmpty(edit, edit ? edit->toPlainText() : QString());
}

bool CheckNumberListEdit(QPlainTextEdit* edit) { return CheckNumberList(edit); }

bool CheckNumberListEdit(QTextEdit* edit) { return CheckNumberList(edit); }

bool SwallowEnterAndEsc(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape)
        return SwallowEnter(event);
    event->accept();
    return true;
}

bool SwallowEnter(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    event->accept();
    return true;
}

bool RefuseIfRightDenied(int right) {
    if (!IsRightDenied(right))
        return false;
    ShowMessageBox(QCoreApplication::translate("Rights", "您没有相应权限进行此操作."), mb::Ok | mb::IconWarning);
    return true;
}

bool ConfirmDeleteCount(qint64 count) {
    return ShowMessageBox(QString::number(count) + LoadStr(159), mb::YesNo | mb::IconQuestion) == IDYES;
}

void ShowDeleteOutcome(bool ok) {
    if (ok)
        ShowMessageBox(LoadStr(227), mb::Ok | mb::IconInformation);
    else
        ShowMessageBox(LoadStr(160), mb::Ok | mb::IconError);
}

bool ConfirmExit(QDialog* dialog) {
    if (ShowMessageBox(Tr("确定退出?"), mb::YesNo | mb::IconQuestion, Tr("退出确认")) != IDYES)
        return false;
    if (dialog)
        dialog->done(1002);
    return true;
}

bool ConfirmCloseIfEdited(const QString& content, int listRows) {
    if (content.isEmpty() && listRows <= 0)
        return true;
    return ConfirmExit();
}

bool ConfirmCloseIfEdited(const QTextEdit* content, int listRows) {
    return ConfirmCloseIfEdited(content ? content->toPlainText() : QString(), listRows);
}

bool ConfirmCloseIfEdited(const QPlainTextEdit* content, int listRows) {
    return ConfirmCloseIfEdited(content ? content->toPlainText() : QString(), listRows);
}

bool ConfirmCloseIfEdited(const QLineEdit* content, int listRows) {
    return ConfirmCloseIfEdited(content ? content->text() : QString(), listRows);
}

bool ConfirmCloseIfEdited(const QTextEdit* content, const QAbstractItemView* list) {
    return ConfirmCloseIfEdited(content, ItemViewRowCount(list));
}

bool ConfirmCloseIfEdited(const QPlainTextEdit* content, const QAbstractItemView* list) {
    return ConfirmCloseIfEdited(content, ItemViewRowCount(list));
}

bool ConfirmCloseIfEdited(const QLineEdit* content, const QAbstractItemView* list) {
    return ConfirmCloseIfEdited(content, ItemViewRowCount(list));
}

int ItemViewRowCount(const QAbstractItemView* list) {
    if (!list || !list->model())
        return 0;
    return list->model()->rowCount(list->rootIndex());
}

void ShowTrayBalloon(const QString& title, const QString& text) {
    auto* app = QCoreApplication::instance();
    if (!app)
        return;
    auto show = [title, text] {
        // Read the icon on the GUI thread: the window may have dropped it
        // while the balloon was on its way.
        if (g_trayIcon)
            g_balloonPresenter(*g_trayIcon, title, text);
    };
    if (QThread::currentThread() == app->thread())
        show();
    else
        QMetaObject::invokeMethod(app, show, Qt::QueuedConnection);
}

void ApplyControlIds(QWidget* root) {
    if (!root)
        return;
    for (QWidget* child : root->findChildren<QWidget*>()) {
        const QVariant id = child->property(kControlIdProperty);
        if (id.isValid())
            child->setObjectName(id.toString());
    }
}

void SetUpTickedDate(QCheckBox* tick, QDateEdit* edit) {
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setDate(QDate::currentDate());
    edit->setEnabled(tick->isChecked());
    QObject::connect(tick, &QCheckBox::toggled, edit, &QWidget::setEnabled);
}

std::optional<QDate> TickedDate(const QCheckBox* tick, const QDateEdit* edit) {
    if (!tick->isChecked())
        return std::nullopt;
    return edit->date();
}
