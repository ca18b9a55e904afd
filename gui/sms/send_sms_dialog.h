#pragma once
// The SMS composer. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class ContactSelection;

#include <QStringList>

#include <vector>

struct NET_SMS;

class CDlgSendSMS : public PlaceholderDialog {
    Q_OBJECT
public:
    // `numberListSource` 1: the number list is held in a virtual list.
    CDlgSendSMS(QWidget* parent, int numberListSource);

    // The numbers and text handed in by the spreadsheet add-in.
    void SetNumbersAndContent(const QStringList& numbers, const QString& content);
    const QStringList& numbers() const { return m_numbers; }
    const QString& content() const { return m_content; }
    // Net-message mode: `messages` are offered as ready-made texts; they
    // stay the caller's.
    void SetNetMessages(bool netMode, const std::vector<NET_SMS>* messages);
    // The recipients: the ticked contacts of the caller's list; the
    // selection stays the caller's.
    void SetRecipientSource(const ContactSelection* selection);

private:
    int m_numberListSource;
    QStringList m_numbers;
    QString m_content;
    bool m_netMode = false;
    const std::vector<NET_SMS>* m_netMessages = nullptr;
    const ContactSelection* m_selection = nullptr;
};
