#include "gui/channels/send_fax_dialog.h"

CDlgSendFax::CDlgSendFax(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgSendFax", QT_TRANSLATE_NOOP("CDlgSendFax", "群发传真")) {}

void CDlgSendFax::SetNumbers(const QStringList& numbers) {
    m_numbers = numbers;
}
