#pragma once
// The date message of one contact; 1003 would mean that a timed message was
// stored for the number. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class CDlgAutoSend : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgAutoSend(QWidget* parent = nullptr);

    void SetMobile(const QString& mobile);
    // "yyyy-mm-dd".
    void SetDate(const QString& date);
    // 0 birthday, 1 special date.
    void SetKind(int kind);

private:
    QString m_mobile;
    QString m_date;
    int m_kind = 0;
};
