#pragma once
// The SMS composer: the number list, the content with its live preview and
// counters, and the buttons that send now, send at a chosen minute or save a
// draft. Four modes: plain, personalised (only collects numbers and a text
// with field placeholders for its opener), net message (ready-made texts to
// insert) and survey (a reply window in minutes).
//
// The dialog only gathers and shows: accepting numbers, counting and
// splitting the text, and writing the records live in sms/.
#include "contacts/address_list.h"
#include "gui/widgets/virtual_list_ctrl.h"
#include "platform/worker_thread.h"
#include "sms/sms_numbering.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class ContactSelection;
class NumberFileImport;
class QTimer;
class RecipientIntake;
class SmsSubmission;
class VIRTUAL_LIST;
class VoiceFollowUp;
struct NET_SMS;
struct SmsSubmitResult;

namespace Ui {
class CDlgSendSMS;
}

// One recipient of the personalised hand-over: the number as it is sent and
// the contact it came from (0 for none).
struct PersonalizedRecipient {
    QString number;
    qint64 contactId = 0;
};

class CDlgSendSMS : public QDialog, public VirtualListOwner, public PickedContactsReceiver {
    Q_OBJECT
public:
    // `numberListSource` 1: a keyed list that holds each number once (every
    // opener but the personalised dialog); 0: a list by position.
    CDlgSendSMS(QWidget* parent, int numberListSource);
    ~CDlgSendSMS() override;

    // ---- set by the opener before the dialog runs ----
    // The numbers and text handed in by the spreadsheet add-in: each number
    // arrives without a name or contact.
    void SetNumbersAndContent(const QStringList& numbers, const QString& content);
    const QStringList& numbers() const { return m_numbers; }
    const QString& content() const { return m_content; }
    // Net-message mode: the titles of `messages` are offered in combo 1172;
    // choosing one inserts its text. The list stays the caller's.
    void SetNetMessages(bool netMode, const std::vector<NET_SMS>* messages);
    // The recipients: the ticked contacts of the caller's list; the
    // selection stays the caller's and must outlive the dialog.
    void SetRecipientSource(const ContactSelection* selection);
    // A statement whose rows (number, name) become recipients, and the row
    // count to show until they are in.
    void SetRecipientQuery(const QString& statement, int rowCount);
    // Recipients as triples: number, name, contact id.
    void SetNumberTriples(const QStringList& triples);
    void SetPrefillContent(const QString& content);
    void SetSurveyMode(bool survey);
    void SetPersonalizedMode(bool personalized);
    // With the flag set, a send leaves the loaded record as it is.
    void SetKeepRecord(bool keep);
    // The draft or record this composition replaces (0: none).
    void SetLoadedRecordId(int sendId);
    // Personalised mode: "确定(&O)" calls this once, before the dialog ends
    // with 1003, with every row's number and contact and the final text.
    using PersonalizedHandOver =
        std::function<void(const std::vector<PersonalizedRecipient>& recipients, const QString& text)>;
    void SetPersonalizedHandOver(PersonalizedHandOver handOver);

    // ---- handlers (public so tests drive them as a click would) ----
    void OnInitDialog();
    void RecountContent();
    bool CheckSendInput();
    void OnSendNow();
    void OnTimingSend();
    void OnSaveDraft();
    void OnChannelTest();
    void OnBalance();
    void OnAddNumber();
    void OnAddRecipient();
    void OnImportText();
    void OnListMenuCommand(int id);
    void OnCancel();
    // Starts sending `text` to the list at `timingTime` (empty: now) after
    // the confirmation; false when nothing was started. The outcome arrives
    // through sendFinished.
    bool SendSMS(const QString& timingTime, const QString& text);

    // PickedContactsReceiver: the picker's ticked contacts.
    void ReceivePickedContacts(const std::vector<PickedContact>& contacts) override;

    // VirtualListOwner.
    QString CellText(int row, int column) override;

    // ---- state, for the openers and tests ----
    bool IsBusy() const { return m_busy || IntakeRunning(); }
    bool IntakeRunning() const;
    VIRTUAL_LIST& NumberList() { return *m_list; }
    CVirtualListCtrl* List() const;
    const QString& FinalText() const { return m_finalText; }
    // What the opener handed in.
    const QStringList& NumberTriples() const { return m_triples; }
    bool SurveyMode() const { return m_survey; }
    bool KeepRecord() const { return m_keepRecord; }
    int LoadedRecordId() const { return m_loadedRecordId; }
    const QStringList& ContentParts() const { return m_contentParts; }

signals:
    // A submission ended: true when every batch was sent.
    void sendFinished(bool allSent);
    // A slice of recipients went in, or the last one did.
    void intakeProgress(int rows, bool done);

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnTimer1();
    void StartIntake();
    void IntakeStep();
    void ShowCount();
    void UpdateControls();
    void SetBusy(bool busy);
    void OnSubmissionFinished(const SmsSubmitResult& result);
    // True when the follow-up started; it ends the send itself.
    bool RunVoiceFollowUp(const SmsSubmitResult& result);
    void EndSend(bool allSent);
    void ClearAfterSend();
    void OnListContextMenu(const QPoint& pos);
    void InsertField(int index);
    void InsertNetMessage(int index);
    bool SurveyMinutesValid(int* minutes);
    QString Signature() const;
    void SaveSmsSettings();

    std::unique_ptr<Ui::CDlgSendSMS> m_ui;
    std::unique_ptr<VIRTUAL_LIST> m_list;
    int m_numberListSource;
    bool m_initialized = false;

    // Opener's input.
    QStringList m_numbers;
    QString m_content;
    QStringList m_triples;
    bool m_netMode = false;
    const std::vector<NET_SMS>* m_netMessages = nullptr;
    const ContactSelection* m_selection = nullptr;
    QString m_queryStatement;
    int m_queryRowCount = 0;
    bool m_personalized = false;
    bool m_survey = false;
    bool m_keepRecord = false;
    int m_loadedRecordId = 0;
    PersonalizedHandOver m_handOver;

    // Composition.
    QString m_finalText;
    QString m_composedText; // content, reply hint and signature as counted
    QStringList m_contentParts;
    int m_surveyMinutes = 0;
    int m_sendReceiveNum = 1;
    bool m_recounting = false;
    // What the settings file holds now, so only a change is written.
    int m_savedSign = -1, m_savedNotSign = -1, m_savedKorean = -1;
    SmsNumbering m_numbering; // [SMPre]

    // Work in progress.
    bool m_busy = false;
    bool m_quitting = false; // the program quits: stop after the batch in flight
    bool m_voiceFollowUp = false;
    bool m_channelTest = false;
    std::unique_ptr<RecipientIntake> m_intake;
    std::unique_ptr<NumberFileImport> m_import;
    QTimer* m_intakeTimer = nullptr;
    QTimer* m_timer1 = nullptr;
    std::unique_ptr<SmsSubmission> m_submission;
    std::unique_ptr<VoiceFollowUp> m_voice;
    WorkerThread m_balanceWorker;
};
