#include "gui/automation/auto_send_dialog.h"

CDlgAutoSend::CDlgAutoSend(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgAutoSend", QT_TRANSLATE_NOOP("CDlgAutoSend", "生日 － 短信发送")) {}

void CDlgAutoSend::SetMobile(const QString& mobile) {
    m_mobile = mobile;
}

void CDlgAutoSend::SetDate(const QString& date) {
    m_date = date;
}

void CDlgAutoSend::SetKind(int kind) {
    m_kind = kind;
    SetCaption(kind == 1 ? QT_TRANSLATE_NOOP("CDlgAutoSend", "特殊日期 － 短信发送")
                         : QT_TRANSLATE_NOOP("CDlgAutoSend", "生日 － 短信发送"));
}
