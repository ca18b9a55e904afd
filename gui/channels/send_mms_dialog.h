#pragma once
// "发送彩信": an MMS of up to 20 frames, one frame editor per tab, sent to a
// keyed number list now, at a chosen minute, or kept as a draft. The same
// window composes the personalised MMS, where each recipient's contact
// fields are filled into his own copy of the frames.
//
// The window only gathers and shows: the number rules, the .mms file, the
// records and the submission live in channels/.
#include "contacts/address_list.h"
#include "gui/widgets/virtual_list_ctrl.h"
#include "service/mms_content.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class CDlgMMSFrame;
class ContactSelection;
class MmsSubmission;
class QTimer;
class RecipientIntake;
class VIRTUAL_LIST;
struct MmsSubmitResult;

namespace Ui {
class CDlgSendMMS;
}

class CDlgSendMMS : public QDialog, public VirtualListOwner, public PickedContactsReceiver {
    Q_OBJECT
public:
    explicit CDlgSendMMS(QWidget* parent = nullptr);
    ~CDlgSendMMS() override;

    // ---- set by the opener before the dialog runs ----
    // Personalised mode: one MMS per recipient with his fields filled in.
    void SetPersonalised(bool personalised);
    // The recipients: the ticked contacts of the caller's list; the
    // selection stays the caller's and must outlive the dialog.
    void SetRecipientSource(const ContactSelection* selection);
    // Recipients as triples: number, name, extra.
    void SetNumberTriples(const QStringList& triples);
    void SetTitle(const QString& title);
    // Frames to open with (one tab each).
    void SetPresetFrames(const std::vector<MMSCONTENT>& frames);
    // A stored record whose frames are shown; with `replace` the first save
    // of this window replaces it.
    void SetStoredRecord(int sendId, bool replace);

    // ---- handlers (public so tests drive them as a click would) ----
    void OnInitDialog();
    // The deferred loading, once the window is shown.
    void OnTimer1();
    void LoadStoredFrames();
    // Triples number, name, extra, taken from the last to the first.
    void OnAddNumbers(const QStringList& triples);
    // n < 0: the list's own count.
    void UpdateNumberCount(int n = -1);
    // Inserts a frame at `index` (-1: after the last), filled from `content`.
    void AddFrame(int index, const MMSCONTENT* content = nullptr);
    void OnAddFrame();
    void OnDeleteFrame();
    void OnTabChange(int index);
    // True when a problem was shown.
    bool CheckBeforeSend();
    void OnSendNow();
    void OnTimingSend();
    void OnSaveDraft();
    void OnEditPicture();
    void OnPreview();
    void OnExport();
    void OnImport();
    void UpdateSizeText();
    void OnAddNumber();
    void OnAddRecipient();
    void OnListMenuCommand(int id);
    void OnCancel();
    // Starts the send at `timingTime` (empty: now) after the question;
    // false when nothing was started.
    bool SendMMS(const QString& timingTime);

    // PickedContactsReceiver: the picker's ticked contacts.
    void ReceivePickedContacts(const std::vector<PickedContact>& contacts) override;
    // VirtualListOwner.
    QString CellText(int row, int column) override;

    // ---- state, for the openers and tests ----
    bool IsBusy() const { return m_busy || IntakeRunning(); }
    bool IntakeRunning() const;
    VIRTUAL_LIST& NumberList() { return *m_list; }
    int FrameCount() const { return static_cast<int>(m_editors.size()); }
    int CurrentFrame() const { return m_current; }
    CDlgMMSFrame* FrameEditor(int index) const;
    // The frames as the editors hold them now, in tab order.
    std::vector<MMSCONTENT> EditorContents() const;
    int SendId() const { return m_sendId; }

signals:
    // A submission ended: true when every batch was sent.
    void sendFinished(bool allSent);

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowFrames(const std::vector<MMSCONTENT>& contents);
    void RemoveAllFrames();
    void RelabelTabs(int from);
    void UpdateFrameButtons();
    // The frames' contents; false (after the message) when one is wholly empty.
    bool RefillFrameContents();
    void StartIntake();
    void IntakeStep();
    void SetBusy(bool busy);
    void UpdateControls();
    void OnSubmissionFinished(const MmsSubmitResult& result);
    void OnListContextMenu(const QPoint& pos);

    std::unique_ptr<Ui::CDlgSendMMS> m_ui;
    std::unique_ptr<VIRTUAL_LIST> m_list;
    std::unique_ptr<RecipientIntake> m_intake;
    bool m_initialized = false;

    // Opener's input.
    bool m_personalised = false;
    const ContactSelection* m_selection = nullptr;
    QStringList m_triples;
    QString m_title;
    std::vector<MMSCONTENT> m_presetFrames;
    bool m_hasPresetFrames = false;
    bool m_storedRecord = false; // replace the stored record at the first save
    int m_sendId = 0;            // the stored record; after a save, the record just written

    // Frames: one editor per tab, in tab order.
    std::vector<CDlgMMSFrame*> m_editors;
    int m_current = 0;
    bool m_tabsReady = true;
    std::vector<MMSCONTENT> m_contents;

    // Work in progress.
    bool m_busy = false;
    bool m_quitting = false;
    QTimer* m_intakeTimer = nullptr;
    std::unique_ptr<MmsSubmission> m_submission;
};
