#pragma once
// The personalised SMS. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

#include <QtGlobal>

#include <vector>

class CDlgPerMSG : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgPerMSG(QWidget* parent = nullptr);

    // Resend mode: the failed records (sendIDs) whose numbers are sent again.
    void SetResendRecords(const std::vector<qint64>& sendIds) { m_resendRecords = sendIds; }
    const std::vector<qint64>& ResendRecords() const { return m_resendRecords; }

private:
    std::vector<qint64> m_resendRecords;
};
