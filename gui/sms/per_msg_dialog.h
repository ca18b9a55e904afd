#pragma once
// The personalised SMS: a list of rows, each one number with the text it
// receives, sent through gxmt in batches. Rows come by one of four roads:
// an imported spreadsheet or CSV file ("导入Excel"), the composer's numbers
// and a text over contact fields ("编辑内容"), failed records to resend
// (the sent-records view) or the batch date messages, each with its own
// send time. Rows are made a slice at a time while the list and bar 1094
// grow; sending waits for the last one. While a submission runs every
// button is hidden, the list is disabled and the dialog cannot be closed.
//
// The dialog only gathers and shows: making rows, filling placeholders and
// submitting live in sms/.
#include "gui/widgets/virtual_list_ctrl.h"
#include "sms/per_msg_rows.h"
#include "sms/per_msg_submission.h"

#include <QDialog>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

class QPushButton;
class QTimer;
struct PersonalizedRecipient;

namespace Ui {
class CDlgPerMSG;
}

// One record the batch date messages hand over.
struct PerMsgDateRecord {
    QString name;
    QString number;
    QString sendTime; // "yyyy-MM-dd HH:mm:ss"
};

class CDlgPerMSG : public QDialog, public VirtualListOwner {
    Q_OBJECT
public:
    explicit CDlgPerMSG(QWidget* parent = nullptr);
    // Stops the row making; a submission in flight is waited for.
    ~CDlgPerMSG() override;

    // ---- set by the opener before the dialog runs ----
    // Resend road: the failed records (sendIDs) whose numbers are sent again.
    void SetResendRecords(const std::vector<qint64>& sendIds) { m_resendRecords = sendIds; }
    const std::vector<qint64>& ResendRecords() const { return m_resendRecords; }
    // Batch date road: the template over contact fields, the records, the
    // contact id of each record (may be empty) and whether the account's
    // signature goes behind every text.
    void SetBatchDate(const QString& templ, const std::vector<PerMsgDateRecord>& records,
                      const std::vector<qint64>& contactIds, bool signedFlag);

    // ---- handlers (public so tests drive them as a click would) ----
    void OnInitDialog();
    void OnImportExcel(); // 1003
    void OnEditContent(); // 41007
    void OnEmptyList();   // 21010
    void OnTimedSend();   // 21004
    void OnSendNow();     // 31006
    // The composer's hand-over: its numbers with their contacts, and its text.
    void OnRowsFromComposer(const std::vector<PersonalizedRecipient>& recipients, const QString& text);
    // The import pages' hand-over: reads the source into rows.
    void FillPerList(const PERMSG_IMPORT_PARAM& param, const QString& templ);
    // Asks, then submits every row; false when nothing was started.
    bool SendPerMSG();
    // The text of one cell of list 1014.
    QString OnGetDispInfo(int row, int column) const;

    // VirtualListOwner.
    QString CellText(int row, int column) override { return OnGetDispInfo(row, column); }

    // ---- state, for tests ----
    bool IsBusy() const;
    // True while rows are being made.
    bool MakingRows() const { return m_maker != nullptr; }
    bool Signed() const { return m_bSigned; }
    PerMsgRoad Road() const { return m_road; }
    const VIRTUAL_LIST_PERMSG& Rows() const { return *m_pRows; }
    CVirtualListCtrl* List() const;
    int BatchSize() const { return m_nBatchSize; }

signals:
    // Row making ended: `rows` rows are listed.
    void rowsReady(int rows);

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool BatchDateRoad() const { return m_road == PerMsgRoad::BatchDate; }
    bool ResendRoad() const { return m_road == PerMsgRoad::Resend; }
    // Starts making rows with `maker`; its slices run from a zero-time timer.
    void StartRows(std::unique_ptr<PerMsgRowMaker> maker);
    void RowStep();
    void RowsDone();
    // The buttons of the opening state, or of a list ready to send.
    void ShowOpeningState();
    void ShowReadyState();
    void SetBusy(bool busy);
    void OnSubmissionFinished(const PerMsgSubmitResult& result);
    void StopRows();

    std::unique_ptr<Ui::CDlgPerMSG> m_ui;
    std::unique_ptr<VIRTUAL_LIST_PERMSG> m_pRows;
    bool m_initialized = false;
    PerMsgRoad m_road = PerMsgRoad::Imported;
    bool m_bSigned = false;
    int m_nBatchSize = kDefaultPerMsgBatchSize;
    QString m_strTimingTime;

    // Opener's input.
    std::vector<qint64> m_resendRecords;
    QString m_strBatchContent;
    std::vector<PerMsgDateRecord> m_dateRecords;
    std::vector<qint64> m_dateContactIds;

    // Work in progress.
    std::unique_ptr<PerMsgRowMaker> m_maker;
    QTimer* m_rowTimer = nullptr;
    std::unique_ptr<PerMsgSubmission> m_submission;
    bool m_busy = false;
    bool m_quitting = false; // the program quits: stop after the batch in flight
    std::vector<QPushButton*> m_hiddenForSend;
};
