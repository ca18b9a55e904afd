#include "gui/sms/per_msg_dialog.h"

#include "core/account.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/string_table.h"
#include "gui/contacts/import_wnd_dialog.h"
#include "gui/main/app_control.h"
#include "gui/sms/per_msg_import_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/sms/time_send_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"
#include "sms/number_rules.h"

#include "ui_per_msg_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace {

// Rows made per turn of the event loop: enough that a large file goes in
// quickly, few enough that the window stays responsive.
constexpr int kRowSlice = 2000;
// Failed records read per turn.
constexpr int kResendSlice = 200;

} // namespace

CDlgPerMSG::CDlgPerMSG(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgPerMSG>()),
      m_pRows(std::make_unique<VIRTUAL_LIST_PERMSG>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    CVirtualListCtrl* list = m_ui->rows;
    list->SetSortingOn(false);
    list->SetOwner(this);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setShowGrid(true);
    list->InitToolTips();
    m_ui->progress->setVisible(false);

    m_rowTimer = new QTimer(this);
    m_rowTimer->setInterval(0);
    connect(m_rowTimer, &QTimer::timeout, this, &CDlgPerMSG::RowStep);

    connect(m_ui->importExcel, &QPushButton::clicked, this, &CDlgPerMSG::OnImportExcel);
    connect(m_ui->editContent, &QPushButton::clicked, this, &CDlgPerMSG::OnEditContent);
    connect(m_ui->emptyList, &QPushButton::clicked, this, &CDlgPerMSG::OnEmptyList);
    connect(m_ui->timedSend, &QPushButton::clicked, this, &CDlgPerMSG::OnTimedSend);
    connect(m_ui->sendNow, &QPushButton::clicked, this, &CDlgPerMSG::OnSendNow);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgPerMSG::reject);
}

CDlgPerMSG::~CDlgPerMSG() {
    StopRows();
    // The submission waits for a call in flight before the rows go.
    m_submission.reset();
    m_ui->rows->SetOwner(nullptr);
}

CVirtualListCtrl* CDlgPerMSG::List() const {
    return m_ui->rows;
}

bool CDlgPerMSG::IsBusy() const {
    return m_busy;
}

void CDlgPerMSG::SetBatchDate(const QString& templ, const std::vector<PerMsgDateRecord>& records,
                              const std::vector<qint64>& contactIds, bool signedFlag) {
    m_road = PerMsgRoad::BatchDate;
    m_strBatchContent = templ;
    m_dateRecords = records;
    m_dateContactIds = contactIds;
    m_bSigned = signedFlag;
}

void CDlgPerMSG::showEvent(QShowEvent* event) {
    if (!m_initialized)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CDlgPerMSG::OnInitDialog() {
    if (m_initialized)
        return;
    m_initialized = true;
    if (!m_resendRecords.empty())
        m_road = PerMsgRoad::Resend;
    m_nBatchSize = PerMsgBatchSize();

    CVirtualListCtrl* list = m_ui->rows;
    list->InsertColumn(0, tr("序号"), 50);
    list->InsertColumn(1, tr("手机号"), 100);
    if (BatchDateRoad()) {
        list->InsertColumn(2, tr("短信内容"), 360);
        list->InsertColumn(3, tr("发送时间"), 130);
    } else {
        list->InsertColumn(2, tr("短信内容"), 480);
    }

    if (BatchDateRoad() || ResendRoad()) {
        // Only the submit button and Cancel: these rows are given, not chosen.
        for (QPushButton* button : {m_ui->editContent, m_ui->importExcel, m_ui->emptyList, m_ui->timedSend})
            button->hide();
        m_ui->sendNow->setText(tr("立即提交"));
        m_ui->sendNow->setEnabled(false);
    } else {
        ShowOpeningState();
    }

    if (ResendRoad()) {
        StartRows(std::make_unique<PerMsgResendRows>(*m_pRows, g_pDB, m_resendRecords));
    } else if (BatchDateRoad()) {
        std::vector<PerMsgRecipient> recipients;
        size_t n = m_dateRecords.size();
        if (!m_dateContactIds.empty())
            n = std::min(n, m_dateContactIds.size());
        recipients.reserve(n);
        for (size_t i = 0; i < n; ++i)
            recipients.push_back({m_dateRecords[i].number.trimmed(),
                                  m_dateContactIds.empty() ? 0 : m_dateContactIds[i],
                                  m_dateRecords[i].sendTime});
        auto maker = std::make_unique<PerMsgComposerRows>(*m_pRows, g_pDB, m_strBatchContent,
                                                          std::move(recipients), false);
        if (!maker->Open()) {
            ShowMessageBox(PerMsgUnknownFieldText(maker->UnknownField()), mb::Ok | mb::IconWarning);
            return;
        }
        StartRows(std::move(maker));
    }
}

// ---- the buttons' states --------------------------------------------------------

void CDlgPerMSG::ShowOpeningState() {
    // Only an administrator imports files.
    m_ui->importExcel->setVisible(IsLoggedInAdministrator());
    m_ui->importExcel->setEnabled(true);
    m_ui->editContent->setEnabled(true);
    m_ui->emptyList->setEnabled(false);
    m_ui->timedSend->setEnabled(false);
    m_ui->sendNow->setEnabled(false);
}

void CDlgPerMSG::ShowReadyState() {
    if (BatchDateRoad() || ResendRoad()) {
        m_ui->sendNow->setEnabled(true);
        m_ui->sendNow->setFocus();
        return;
    }
    m_ui->importExcel->setEnabled(false);
    m_ui->editContent->setEnabled(false);
    m_ui->emptyList->setEnabled(true);
    m_ui->timedSend->setEnabled(true);
    m_ui->sendNow->setEnabled(true);
    m_ui->sendNow->setFocus();
}

void CDlgPerMSG::SetBusy(bool busy) {
    m_busy = busy;
    setProperty(kFinishingWorkProperty, busy);
    m_ui->rows->setEnabled(!busy);
    // Nothing may start a second submission or end this one.
    if (busy) {
        m_hiddenForSend.clear();
        for (QPushButton* button : {m_ui->importExcel, m_ui->editContent, m_ui->emptyList, m_ui->timedSend,
                                    m_ui->sendNow, m_ui->cancel}) {
            if (!button->isHidden()) {
                m_hiddenForSend.push_back(button);
                button->hide();
            }
        }
    } else {
        for (QPushButton* button : m_hiddenForSend)
            button->show();
        m_hiddenForSend.clear();
    }
}

// ---- making rows --------------------------------------------------------------------

void CDlgPerMSG::StartRows(std::unique_ptr<PerMsgRowMaker> maker) {
    StopRows();
    m_maker = std::move(maker);
    // Nothing is sent and nothing else chosen until the last row is in.
    m_ui->importExcel->setEnabled(false);
    m_ui->editContent->setEnabled(false);
    m_ui->emptyList->setEnabled(false);
    m_ui->timedSend->setEnabled(false);
    m_ui->sendNow->setEnabled(false);
    m_ui->progress->setRange(0, 1000);
    m_ui->progress->setValue(0);
    m_ui->progress->setVisible(true);
    m_rowTimer->start();
}

void CDlgPerMSG::RowStep() {
    if (!m_maker) {
        m_rowTimer->stop();
        return;
    }
    const int slice = ResendRoad() ? kResendSlice : kRowSlice;
    const bool more = m_maker->Step(slice) && !m_maker->Done();
    const qint64 total = m_maker->ProgressTotal();
    m_ui->progress->setValue(total > 0 ? static_cast<int>(m_maker->ProgressDone() * 1000 / total) : 0);
    m_ui->rows->SetItemCount(m_pRows->GetCount());
    if (!more)
        RowsDone();
}

void CDlgPerMSG::RowsDone() {
    m_rowTimer->stop();
    m_maker.reset();
    m_ui->progress->setVisible(false);
    const int rows = m_pRows->GetCount();
    m_ui->rows->SetItemCount(rows);
    if (rows == 0 && !BatchDateRoad() && !ResendRoad()) {
        // Nothing to send: back to the choice of a road.
        ShowMessageBox(LoadStr(242), mb::Ok | mb::IconWarning);
        m_bSigned = false;
        ShowOpeningState();
    } else {
        ShowReadyState();
    }
    emit rowsReady(rows);
}

void CDlgPerMSG::StopRows() {
    if (m_rowTimer)
        m_rowTimer->stop();
    if (m_maker)
        m_maker->Stop();
    m_maker.reset();
}

// ---- the roads ------------------------------------------------------------------------

void CDlgPerMSG::OnImportExcel() {
    if (m_busy || MakingRows())
        return;
    CDlgPerMSGImport wizard(this);
    if (RunModal(wizard) != 1003)
        return;
    // The rows are read once the wizard is closed.
    FillPerList(wizard.ImportParam(), wizard.Template());
}

void CDlgPerMSG::FillPerList(const PERMSG_IMPORT_PARAM& param, const QString& templ) {
    if (m_busy || MakingRows())
        return;
    m_road = PerMsgRoad::Imported;
    m_pRows->FreeRows();
    m_ui->rows->SetItemCount(0);
    m_bSigned = param.signature != 0;
    auto reader = std::make_unique<PerMsgImportReader>(*m_pRows, param, templ);
    switch (reader->Open()) {
    case PerMsgImportReader::OpenResult::Ok:
        StartRows(std::move(reader));
        return;
    case PerMsgImportReader::OpenResult::CannotOpen:
        ReportCsvHeaderResult(CsvHeaderResult::CannotOpen);
        break;
    case PerMsgImportReader::OpenResult::Utf16:
        ReportCsvHeaderResult(CsvHeaderResult::Utf16);
        break;
    case PerMsgImportReader::OpenResult::Unreadable:
        ReportCsvHeaderResult(CsvHeaderResult::Unreadable);
        break;
    case PerMsgImportReader::OpenResult::UnknownField:
        ShowMessageBox(PerMsgUnknownFieldText(reader->UnknownField()), mb::Ok | mb::IconWarning);
        break;
    case PerMsgImportReader::OpenResult::NoNumberColumn:
        ShowMessageBox(LoadStr(242), mb::Ok | mb::IconWarning);
        break;
    }
    m_bSigned = false;
    ShowOpeningState();
}

void CDlgPerMSG::OnEditContent() {
    if (m_busy || MakingRows())
        return;
    std::vector<PersonalizedRecipient> recipients;
    QString text;
    CDlgSendSMS composer(this, 0);
    composer.SetPersonalizedMode(true);
    composer.SetPersonalizedHandOver(
        [&recipients, &text](const std::vector<PersonalizedRecipient>& handed, const QString& finalText) {
            recipients = handed;
            text = finalText;
        });
    if (RunModal(composer) != 1003)
        return;
    OnRowsFromComposer(recipients, text);
}

void CDlgPerMSG::OnRowsFromComposer(const std::vector<PersonalizedRecipient>& recipients,
                                    const QString& text) {
    if (m_busy || MakingRows())
        return;
    // The composer's text carries its own signature.
    m_road = PerMsgRoad::Edited;
    m_bSigned = false;
    m_pRows->FreeRows();
    m_ui->rows->SetItemCount(0);
    std::vector<PerMsgRecipient> rows;
    rows.reserve(recipients.size());
    for (const PersonalizedRecipient& r : recipients)
        rows.push_back({r.number.trimmed(), r.contactId, QString()});
    auto maker = std::make_unique<PerMsgComposerRows>(*m_pRows, g_pDB, text, std::move(rows), true);
    if (!maker->Open()) {
        ShowMessageBox(PerMsgUnknownFieldText(maker->UnknownField()), mb::Ok | mb::IconWarning);
        ShowOpeningState();
        return;
    }
    StartRows(std::move(maker));
}

void CDlgPerMSG::OnEmptyList() {
    if (m_busy)
        return;
    StopRows();
    m_pRows->FreeRows();
    m_ui->rows->SetItemCount(0);
    // The next rows decide their signature afresh.
    m_bSigned = false;
    m_road = PerMsgRoad::Imported;
    ShowOpeningState();
}

// ---- sending ----------------------------------------------------------------------------

void CDlgPerMSG::OnTimedSend() {
    if (m_busy || MakingRows())
        return;
    CDlgMSGTimeSend picker(this);
    if (RunModal(picker) != IDOK || picker.ChosenTime().isEmpty())
        return;
    m_strTimingTime = picker.ChosenTime();
    LogWriteString(g_logRun, QStringLiteral("定时发送按钮 将调用CDlgPerMSG::SendPerMSG：") + m_strTimingTime);
    SendPerMSG();
}

void CDlgPerMSG::OnSendNow() {
    if (m_busy || MakingRows())
        return;
    // A timed send declined earlier leaves no time behind: this goes now.
    m_strTimingTime.clear();
    LogWriteString(g_logRun, QStringLiteral("立即发送按钮 将调用CDlgPerMSG::SendPerMSG"));
    SendPerMSG();
}

bool CDlgPerMSG::SendPerMSG() {
    if (m_busy || MakingRows())
        return false;
    const int rows = m_pRows->GetCount();
    if (rows == 0) {
        ShowMessageBox(LoadStr(242), mb::Ok | mb::IconWarning);
        return false;
    }
    const QString question = BatchDateRoad() ? tr("确定提交?") : tr("确定发送?");
    if (ShowMessageBox(question, mb::YesNo | mb::IconQuestion) != IDYES)
        return false;

    SetBusy(true);
    LogWriteString(g_logRun, QStringLiteral("In CDlgPerMSG::SendPerMSG"));
    m_ui->progress->setRange(0, rows);
    m_ui->progress->setValue(0);
    m_ui->progress->setVisible(true);

    PerMsgSubmitRequest request;
    request.rows = m_pRows.get();
    request.road = m_road;
    request.signedFlag = m_bSigned;
    request.signature = g_pAccount.field(kAccountSignature);
    request.timingTime = m_strTimingTime;
    request.batchSize = m_nBatchSize;
    // Parented too: a submission handed to deleteLater still goes with the window.
    m_submission = std::make_unique<PerMsgSubmission>(std::make_unique<ServiceGxmtSender>(), this);
    connect(m_submission.get(), &PerMsgSubmission::progress, this, [this](qint64 done, qint64 total) {
        m_ui->progress->setValue(static_cast<int>(std::min(done, total)));
    });
    connect(m_submission.get(), &PerMsgSubmission::finished, this, &CDlgPerMSG::OnSubmissionFinished);
    if (!m_submission->Start(std::move(request))) {
        m_submission.reset();
        m_ui->progress->setVisible(false);
        SetBusy(false);
        return false;
    }
    return true;
}

void CDlgPerMSG::OnSubmissionFinished(const PerMsgSubmitResult& result) {
    // The submission emits from its own handler: it is released later.
    if (m_submission)
        m_submission.release()->deleteLater();
    m_ui->progress->setVisible(false);
    SetBusy(false);
    if (m_quitting) {
        // Nobody is there to read a box; the records tell what happened.
        done(IDCANCEL);
        return;
    }
    for (const SmsEndMessage& message : PerMsgEndMessages(result, BatchDateRoad()))
        ShowMessageBox(message.text, mb::Ok | message.icon);
    done(1003);
}

// ---- the list -----------------------------------------------------------------------------

QString CDlgPerMSG::OnGetDispInfo(int row, int column) const {
    if (row < 0 || row >= m_pRows->GetCount())
        return {};
    switch (column) {
    case 0:
        return QString::number(row + 1);
    case 1:
        // Personalised texts are built from the whole numbers, so they are shown whole.
        return DisplayNumber(m_pRows->GetKey(row), true);
    case 2:
        return PerMsgShownText(m_pRows->GetContent(row), m_road, m_bSigned,
                               g_pAccount.field(kAccountSignature));
    case 3:
        return BatchDateRoad() ? m_pRows->GetSendTime(row) : QString();
    default:
        return {};
    }
}

// ---- closing ------------------------------------------------------------------------------

void CDlgPerMSG::reject() {
    // A submission in flight ends by itself; closing now would drop the
    // outcome of the batch on the wire. A quit of the program stops it after
    // that batch: the rows not yet submitted are recorded as failed, to be
    // resent, and the dialog then ends.
    if (m_busy) {
        if (QuitRequested() && !m_quitting) {
            m_quitting = true;
            if (m_submission)
                m_submission->RequestStop();
        }
        return;
    }
    StopRows();
    done(IDCANCEL);
}

void CDlgPerMSG::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void CDlgPerMSG::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}
