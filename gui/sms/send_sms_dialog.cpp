#include "gui/sms/send_sms_dialog.h"

#include "contacts/contact_list_query.h"
#include "core/account.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/net_messages.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/automation/holiday_dialog.h"
#include "gui/contacts/add_tel_code_dialog.h"
#include "gui/contacts/address_list_dialog.h"
#include "gui/contacts/contact_editor.h"
#include "gui/main/app_control.h"
#include "gui/main/gui_globals.h"
#include "gui/sms/msg_lib_dialog.h"
#include "gui/sms/time_send_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "service/web_service_client.h"
#include "sms/number_import.h"
#include "sms/number_rules.h"
#include "sms/recipient_intake.h"
#include "sms/row_sources.h"
#include "sms/sms_submission.h"
#include "sms/sms_text.h"
#include "sms/voice_followup.h"

#include "ui_send_sms_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTextCursor>
#include <QTimer>

#include <set>

namespace {

// Rows taken per turn of the event loop: large enough that a million rows
// go in within seconds, small enough that the window keeps painting.
constexpr int kIntakeSlice = 20000;

QString CountLine(int rows) {
    return CDlgSendSMS::tr("号码列表 共 %d 条记录").replace(QLatin1String("%d"), QString::number(rows));
}

} // namespace

CDlgSendSMS::CDlgSendSMS(QWidget* parent, int numberListSource)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgSendSMS>()), m_numberListSource(numberListSource) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    if (numberListSource)
        m_list = std::make_unique<VIRTUAL_LIST_BUF>();
    else
        m_list = std::make_unique<VIRTUAL_LIST_PERMSG>();
    m_intake = std::make_unique<RecipientIntake>(*m_list);

    // Enter belongs to the content box; no button is pressed by it.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    CVirtualListCtrl* list = m_ui->numberList;
    list->InsertColumn(0, tr("手机或小灵通"), 130);
    list->InsertColumn(1, tr("联系人"), 110);
    list->SetSortingOn(false);
    list->SetOwner(this);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, &CDlgSendSMS::OnListContextMenu);

    m_ui->content->setFont(g_fontNormal);
    m_ui->preview->setFont(g_fontNormal);
    m_ui->preview->setReadOnly(true);
    m_ui->signature->setReadOnly(true);
    m_ui->progress->setVisible(false);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_ui->markLabel, m_ui->mark, m_ui->netLabel, m_ui->netTitles, m_ui->fieldLabel, m_ui->fields,
             m_ui->surveyMinutes, m_ui->surveyMinutesLabel, m_ui->replyHint, m_ui->replyHintText})
        w->setVisible(false);

    connect(m_ui->addNumber, &QPushButton::clicked, this, &CDlgSendSMS::OnAddNumber);
    connect(m_ui->addRecipient, &QPushButton::clicked, this, &CDlgSendSMS::OnAddRecipient);
    connect(m_ui->importNumbers, &QPushButton::clicked, this, &CDlgSendSMS::OnImportText);
    connect(m_ui->callPhrases, &QPushButton::clicked, this, [this] {
        CDlgMsgLib library(this);
        if (RunModal(library) == 1003)
            m_ui->content->setPlainText(library.ResultText());
    });
    connect(m_ui->addPhrase, &QPushButton::clicked, this, [this] {
        CDlgMsgLib library(this);
        library.SetText(m_ui->content->toPlainText());
        if (RunModal(library) == 1003)
            m_ui->content->setPlainText(library.ResultText());
    });
    connect(m_ui->holiday, &QPushButton::clicked, this, [this] {
        CDlgHoliday holiday(this);
        if (RunModal(holiday) == 1003)
            m_ui->content->setPlainText(holiday.ResultText());
    });
    connect(m_ui->balance, &QPushButton::clicked, this, &CDlgSendSMS::OnBalance);
    connect(m_ui->channelTest, &QPushButton::clicked, this, &CDlgSendSMS::OnChannelTest);
    connect(m_ui->sendNow, &QPushButton::clicked, this, &CDlgSendSMS::OnSendNow);
    connect(m_ui->timingSend, &QPushButton::clicked, this, &CDlgSendSMS::OnTimingSend);
    connect(m_ui->saveDraft, &QPushButton::clicked, this, &CDlgSendSMS::OnSaveDraft);
    for (QCheckBox* box : {m_ui->sign, m_ui->noSign, m_ui->longSms, m_ui->replyHint})
        connect(box, &QCheckBox::clicked, this, &CDlgSendSMS::RecountContent);
    connect(m_ui->korean, &QCheckBox::clicked, this, &CDlgSendSMS::SaveSmsSettings);
    connect(m_ui->content, &QTextEdit::textChanged, this, &CDlgSendSMS::RecountContent);
    connect(m_ui->replyHintText, &QLineEdit::editingFinished, this, &CDlgSendSMS::RecountContent);
    connect(m_ui->fields, &QComboBox::activated, this, &CDlgSendSMS::InsertField);
    connect(m_ui->netTitles, &QComboBox::activated, this, &CDlgSendSMS::InsertNetMessage);

    m_timer1 = new QTimer(this);
    m_timer1->setSingleShot(true);
    m_timer1->setInterval(50);
    connect(m_timer1, &QTimer::timeout, this, &CDlgSendSMS::OnTimer1);
    m_intakeTimer = new QTimer(this);
    m_intakeTimer->setInterval(0);
    connect(m_intakeTimer, &QTimer::timeout, this, &CDlgSendSMS::IntakeStep);
}

CDlgSendSMS::~CDlgSendSMS() {
    m_ui->numberList->SetOwner(nullptr);
    // The submission joins its worker; it must go before the list it read.
    m_submission.reset();
    m_voice.reset();
    m_import.reset();
    m_intake.reset();
    m_balanceWorker.join(5000);
}

CVirtualListCtrl* CDlgSendSMS::List() const {
    return m_ui->numberList;
}

// ---- what the opener sets -----------------------------------------------------

void CDlgSendSMS::SetNumbersAndContent(const QStringList& numbers, const QString& content) {
    m_numbers = numbers;
    m_content = content;
    // The add-in knows only numbers: no name, no contact.
    for (const QString& number : numbers)
        m_triples << number << QString() << QStringLiteral("0");
}

void CDlgSendSMS::SetNetMessages(bool netMode, const std::vector<NET_SMS>* messages) {
    m_netMode = netMode;
    m_netMessages = messages;
}

void CDlgSendSMS::SetRecipientSource(const ContactSelection* selection) {
    m_selection = selection;
}

void CDlgSendSMS::SetRecipientQuery(const QString& statement, int rowCount) {
    m_queryStatement = statement;
    m_queryRowCount = rowCount;
}

void CDlgSendSMS::SetNumberTriples(const QStringList& triples) {
    m_triples += triples;
}

void CDlgSendSMS::SetPrefillContent(const QString& content) {
    m_content = content;
}

void CDlgSendSMS::SetSurveyMode(bool survey) {
    m_survey = survey;
}

void CDlgSendSMS::SetPersonalizedMode(bool personalized) {
    m_personalized = personalized;
}

void CDlgSendSMS::SetKeepRecord(bool keep) {
    m_keepRecord = keep;
}

void CDlgSendSMS::SetLoadedRecordId(int sendId) {
    m_loadedRecordId = sendId;
}

void CDlgSendSMS::SetPersonalizedHandOver(PersonalizedHandOver handOver) {
    m_handOver = std::move(handOver);
}

// ---- opening ------------------------------------------------------------------

void CDlgSendSMS::showEvent(QShowEvent* event) {
    if (!m_initialized)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CDlgSendSMS::OnInitDialog() {
    if (m_initialized)
        return;
    m_initialized = true;
    m_recounting = true; // the boxes are set up first, counted once at the end

    m_ui->longSms->setChecked(true);
    m_savedSign = ini::ReadInt(g_strAccountIni, QStringLiteral("SMSSetting"), QStringLiteral("SigSMS"), 0);
    m_savedNotSign =
        ini::ReadInt(g_strAccountIni, QStringLiteral("SMSSetting"), QStringLiteral("NotSigSMS"), 0);
    m_savedKorean = ini::ReadInt(g_strAccountIni, QStringLiteral("SMSSetting"), QStringLiteral("nKorean"), 0);
    m_ui->sign->setChecked(m_savedSign != 0);
    m_ui->noSign->setChecked(m_savedNotSign != 0);
    m_ui->korean->setChecked(m_savedKorean != 0);
    // Read once: every keystroke recounts, and the numbering cannot change
    // while the composer is open.
    m_numbering = ReadSmsNumbering(g_strAccountIni);

    // send_receive_Num runs from 1 to 100 and starts again: replies are
    // matched to a send by it.
    {
        SqlStatement st(g_pDB, "SELECT send_receive_Num,MAX(sendID) FROM sendInfo ");
        int last = 0;
        if (st.ok() && st.step() == SQLITE_ROW && !st.isNull(0))
            last = static_cast<int>(st.int64(0));
        m_sendReceiveNum = (last > 99 ? 0 : last) + 1;
    }

    m_ui->signature->setText(g_pAccount.field(kAccountSignature));

    if (g_nCustomize && !m_personalized) {
        m_ui->markLabel->setVisible(true);
        m_ui->mark->setVisible(true);
    }
    if (m_personalized) {
        m_ui->addNumber->setEnabled(false);
        for (QWidget* w : std::initializer_list<QWidget*>{m_ui->channelTest, m_ui->saveDraft, m_ui->korean,
                                                          m_ui->voiceFollowUp})
            w->setVisible(false);
        m_ui->fieldLabel->setVisible(true);
        m_ui->fields->setVisible(true);
        m_ui->fields->addItems(VisibleFieldRegistry::DisplayNames());
        m_ui->fields->setCurrentIndex(-1);
        m_ui->timingSend->setText(tr("确定(&O)"));
        m_ui->sendNow->setText(tr("取消(&C)"));
        m_ui->longSms->setChecked(true);
        m_ui->longSms->setEnabled(false);
    }
    if (m_netMode) {
        m_ui->netLabel->setVisible(true);
        m_ui->netTitles->setVisible(true);
        if (m_netMessages)
            for (const NET_SMS& message : *m_netMessages)
                m_ui->netTitles->addItem(message.title);
        m_ui->netTitles->setCurrentIndex(-1);
    }
    if (m_survey) {
        setWindowTitle(tr("发送短信调查"));
        for (QWidget* w : std::initializer_list<QWidget*>{m_ui->surveyMinutes, m_ui->surveyMinutesLabel,
                                                          m_ui->replyHint, m_ui->replyHintText})
            w->setVisible(true);
        m_ui->replyHintText->setText(tr("(请回复Y或N)"));
    }

    m_ui->content->setPlainText(m_content);
    m_ui->content->moveCursor(QTextCursor::End);
    m_ui->content->setFocus();
    if (m_content.size() > 70)
        m_ui->longSms->setChecked(true);
    m_recounting = false;
    RecountContent();
    ShowCount();
    m_timer1->start();
}

void CDlgSendSMS::OnTimer1() {
    if (!m_queryStatement.isEmpty())
        m_ui->countLine->setText(CountLine(m_queryRowCount));
    if (!m_triples.isEmpty()) {
        m_intake->AddTriples(TriplesFromStrings(m_triples));
        m_triples.clear();
    }
    if (m_selection)
        m_intake->AddSelection(g_pDB, *m_selection);
    if (!m_queryStatement.isEmpty())
        m_intake->AddQuery(g_pDB, m_queryStatement);
    StartIntake();
}

// ---- recipients ---------------------------------------------------------------

bool CDlgSendSMS::IntakeRunning() const {
    return (m_intake && !m_intake->Done()) || (m_import && !m_import->Done());
}

void CDlgSendSMS::StartIntake() {
    if (!IntakeRunning())
        return;
    UpdateControls();
    if (!m_intakeTimer->isActive())
        m_intakeTimer->start();
}

void CDlgSendSMS::IntakeStep() {
    if (m_import && !m_import->Done()) {
        m_import->Step(1);
        const qint64 total = std::max<qint64>(m_import->BytesTotal(), 1);
        m_ui->progress->setVisible(true);
        m_ui->progress->setRange(0, 1000);
        m_ui->progress->setValue(static_cast<int>(m_import->BytesDone() * 1000 / total));
        if (m_import->Done()) {
            m_ui->progress->setVisible(false);
            m_import.reset();
        }
    } else if (m_intake && !m_intake->Done()) {
        m_intake->Step(kIntakeSlice);
    }
    const bool running = IntakeRunning();
    if (!running)
        m_intakeTimer->stop();
    ShowCount();
    RecountContent();
    UpdateControls();
    emit intakeProgress(m_list->GetCount(), !running);
}

void CDlgSendSMS::ReceivePickedContacts(const std::vector<PickedContact>& contacts) {
    std::vector<RecipientTriple> triples;
    triples.reserve(contacts.size());
    for (const PickedContact& c : contacts)
        triples.push_back({c.number, c.name, static_cast<int>(c.perNO)});
    m_intake->AddTriples(std::move(triples));
    StartIntake();
}

void CDlgSendSMS::OnAddNumber() {
    if (m_busy)
        return;
    CDlgAddTelCode entry(this);
    entry.m_numberList = m_list.get();
    RunModal(entry);
    ShowCount();
    RecountContent();
}

void CDlgSendSMS::OnAddRecipient() {
    if (m_busy)
        return;
    CDlgAddressList picker(this);
    picker.m_forSms = true;
    picker.m_receiver = this;
    RunModal(picker);
}

void CDlgSendSMS::OnImportText() {
    if (m_busy || m_import)
        return;
    const QString path = ChooseOpenFile(this, tr("文本文件(*.txt)|*.txt;|"));
    if (path.isEmpty())
        return;
    auto import = std::make_unique<NumberFileImport>(*m_list, path);
    if (!import->IsOpen()) {
        ShowMessageBox(tr("打开文件失败"), mb::Ok | mb::IconWarning);
        return;
    }
    m_import = std::move(import);
    StartIntake();
}

QString CDlgSendSMS::CellText(int row, int column) {
    if (row < 0 || row >= m_list->GetCount())
        return QString();
    // Personalised texts are built from the whole numbers, so they are shown whole.
    if (column == 0)
        return DisplayNumber(m_list->GetKey(row), m_personalized);
    return DisplayName(*m_list, row, m_personalized);
}

void CDlgSendSMS::ShowCount() {
    const int rows = m_list->GetCount();
    m_ui->numberList->SetItemCount(rows);
    m_ui->numberList->RedrawItems();
    // Until a passed query's rows are in, its row count stands.
    if (m_queryStatement.isEmpty() || !IntakeRunning())
        m_ui->countLine->setText(CountLine(rows));
}

void CDlgSendSMS::OnListContextMenu(const QPoint& pos) {
    if (m_busy)
        return;
    QMenu menu(this);
    const std::pair<int, QString> entries[] = {{10001, tr("移出发送列表")},
                                               {10002, tr("清空列表")},
                                               {0, QString()},
                                               {10003, tr("保存联系人")},
                                               {10004, tr("过滤小灵通号码")}};
    for (const auto& [id, text] : entries) {
        if (id == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(text);
        connect(action, &QAction::triggered, this, [this, id = id] { OnListMenuCommand(id); });
    }
    menu.exec(m_ui->numberList->viewport()->mapToGlobal(pos));
}

void CDlgSendSMS::OnListMenuCommand(int id) {
    if (m_busy)
        return;
    std::vector<int> selected;
    if (QItemSelectionModel* selection = m_ui->numberList->selectionModel())
        for (const QModelIndex& index : selection->selectedRows())
            selected.push_back(index.row());
    switch (id) {
    case 10001:
        m_list->RemoveRows(selected);
        break;
    case 10002:
        if (m_intake)
            m_intake->Cancel();
        m_list->FreeRows();
        break;
    case 10003: {
        if (selected.size() != 1) {
            ShowMessageBox(LoadStr(179), mb::Ok | mb::IconWarning);
            return;
        }
        // The contact gets the number itself, never the masked text on screen.
        OpenNewContactEditorForNumber(this, NumberFromKey(m_list->GetKey(selected.front())));
        break;
    }
    case 10004:
        FilterPhsNumbers(*m_list);
        break;
    default:
        return;
    }
    if (QItemSelectionModel* selection = m_ui->numberList->selectionModel())
        selection->clearSelection();
    ShowCount();
    RecountContent();
}

// ---- the text -----------------------------------------------------------------

QString CDlgSendSMS::Signature() const {
    return g_pAccount.field(kAccountSignature);
}

void CDlgSendSMS::SaveSmsSettings() {
    if (!m_initialized)
        return;
    const int sign = m_ui->sign->isChecked() ? 1 : 0;
    const int notSign = m_ui->noSign->isChecked() ? 1 : 0;
    const int korean = m_ui->korean->isChecked() ? 1 : 0;
    // Written only when changed: every keystroke recounts.
    std::vector<ini::KeyValue> changed;
    if (sign != m_savedSign)
        changed.push_back({QStringLiteral("SigSMS"), QString::number(sign)});
    if (notSign != m_savedNotSign)
        changed.push_back({QStringLiteral("NotSigSMS"), QString::number(notSign)});
    if (korean != m_savedKorean)
        changed.push_back({QStringLiteral("nKorean"), QString::number(korean)});
    if (changed.empty())
        return;
    if (ini::WriteStrings(g_strAccountIni, QStringLiteral("SMSSetting"), changed)) {
        m_savedSign = sign;
        m_savedNotSign = notSign;
        m_savedKorean = korean;
    }
}

void CDlgSendSMS::RecountContent() {
    if (m_recounting || !m_initialized)
        return;
    m_recounting = true;
    SaveSmsSettings();

    const QString signature = Signature();
    const bool sign = m_ui->sign->isChecked();
    QString content = m_ui->content->toPlainText();
    bool rewrite = false;
    if (content.size() > kMaxContentLength) {
        content.truncate(kMaxContentLength);
        rewrite = true;
    }
    // The signature is added when the text is composed; typed into the box
    // it would be sent twice.
    if (sign && RemoveBracketedSignature(&content, signature))
        rewrite = true;

    SmsCountInput input;
    input.content = content;
    if (m_survey && m_ui->replyHint->isChecked())
        input.hint = m_ui->replyHintText->text();
    input.signature = signature;
    input.sign = sign;
    input.longSms = m_ui->longSms->isChecked();
    input.numbering = m_numbering;
    const SmsCount count = CountSms(input);
    if (count.cap.exceeded) {
        ShowMessageBox(count.cap.warning, mb::Ok | mb::IconWarning);
        content.truncate(std::max(0, count.cap.cutContentTo));
        rewrite = true;
    }
    if (rewrite) {
        m_ui->content->setPlainText(content);
        m_ui->content->moveCursor(QTextCursor::End);
    }

    m_contentParts = count.parts;
    const int domestic = m_list->DomesticCount();
    const int international = m_list->InternationalCount();
    m_ui->chars->setText(QString::number(count.composed.size()));
    m_ui->perNumber->setText(QString::number(count.perNumber));
    m_ui->perIntl->setText(QString::number(count.perNumber * kInternationalChargeFactor));
    m_ui->total->setText(FormatChargeTotal(ChargeTotal(count.perNumber, domestic, international)));
    // The preview shows what the phones receive: a split text part by part,
    // each with its numbering. What is sent is the composed text, which the
    // submission splits the same way.
    m_composedText = count.composed;
    m_ui->preview->setPlainText(count.parts.size() > 1 ? count.parts.join(QLatin1Char('\n')) : count.composed);
    m_ui->preview->moveCursor(QTextCursor::End);
    m_ui->preview->ensureCursorVisible();
    m_recounting = false;
}

void CDlgSendSMS::InsertField(int index) {
    const QString name = m_ui->fields->itemText(index);
    if (name.isEmpty())
        return;
    m_ui->content->insertPlainText(QStringLiteral("<%") + name + QStringLiteral("%>"));
    m_ui->content->setFocus();
}

void CDlgSendSMS::InsertNetMessage(int index) {
    if (!m_netMessages || index < 0 || index >= static_cast<int>(m_netMessages->size()))
        return;
    m_ui->content->insertPlainText((*m_netMessages)[static_cast<size_t>(index)].content +
                                   QStringLiteral("。"));
    m_ui->content->setFocus();
}

bool CDlgSendSMS::CheckSendInput() {
    if (m_list->GetCount() == 0) {
        ShowMessageBox(LoadStr(274), mb::Ok | mb::IconWarning);
        return false;
    }
    if (m_ui->content->toPlainText().trimmed().isEmpty()) {
        ShowMessageBox(LoadStr(151), mb::Ok | mb::IconWarning);
        m_ui->content->setFocus();
        return false;
    }
    RecountContent();
    m_finalText = m_composedText;
    return true;
}

bool CDlgSendSMS::SurveyMinutesValid(int* minutes) {
    bool ok = false;
    const int value = m_ui->surveyMinutes->text().trimmed().toInt(&ok);
    if (!ok || value < 20 || value > 10000) {
        ShowMessageBox(tr("有效分钟数只能在20-10000之间."), mb::Ok | mb::IconWarning);
        return false;
    }
    *minutes = value;
    return true;
}

// ---- the balance --------------------------------------------------------------

void CDlgSendSMS::OnBalance() {
    const AccountFields account = g_pAccount.get();
    // The query may take the client's whole time-out: it runs beside the
    // window, and its box reaches the window's thread on its own.
    m_balanceWorker.start([account] {
        CWebServiceClient client(account[kAccountSerial], account[kAccountPassword]);
        QString reply;
        if (client.HttpGetBalance(reply) != 0) {
            ShowMessageBox(LoadStr(265), mb::Ok | mb::IconWarning);
            return;
        }
        ShowMessageBox(reply, mb::Ok | mb::IconInformation);
    });
}

// ---- closing ------------------------------------------------------------------

void CDlgSendSMS::OnCancel() {
    // A submission in flight ends by itself; closing now would drop the
    // outcome of the batch on the wire. A quit of the program stops it
    // after that batch: the numbers not yet submitted are recorded as
    // failed, to be resent, and the dialog then ends.
    if (m_busy) {
        if (QuitRequested() && !m_quitting) {
            m_quitting = true;
            if (m_submission)
                m_submission->RequestStop();
        }
        return;
    }
    // A quit of the program asks nothing: nobody may be there to answer.
    if (!QuitRequested() && !ConfirmCloseIfEdited(m_ui->content, m_list->GetCount()))
        return;
    if (m_intake)
        m_intake->Cancel();
    m_intakeTimer->stop();
    done(IDCANCEL);
}

void CDlgSendSMS::reject() {
    OnCancel();
}

void CDlgSendSMS::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCancel();
}

void CDlgSendSMS::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        OnCancel();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDlgSendSMS::UpdateControls() {
    const bool idle = !m_busy;
    // Sending waits for the recipients still coming in.
    const bool canSend = idle && !IntakeRunning();
    m_ui->saveDraft->setEnabled(canSend);
    m_ui->timingSend->setEnabled(canSend);
    m_ui->sendNow->setEnabled(canSend || (idle && m_personalized));
    m_ui->channelTest->setEnabled(canSend);
    m_ui->addNumber->setEnabled(idle && !m_personalized);
    m_ui->addRecipient->setEnabled(idle);
    m_ui->importNumbers->setEnabled(idle);
    m_ui->korean->setEnabled(idle);
    m_ui->voiceFollowUp->setEnabled(idle);
}

void CDlgSendSMS::SetBusy(bool busy) {
    m_busy = busy;
    setProperty(kFinishingWorkProperty, busy);
    UpdateControls();
}

// ---- sending ------------------------------------------------------------------

void CDlgSendSMS::OnSendNow() {
    // In personalised mode this button reads "取消(&C)".
    if (m_personalized) {
        OnCancel();
        return;
    }
    if (m_busy || IntakeRunning() || !CheckSendInput())
        return;
    if (m_survey && !SurveyMinutesValid(&m_surveyMinutes))
        return;
    LogWriteString(g_logRun, QStringLiteral("立即发送按钮 将调用CDlgSendSMS::SendSMS: ") + m_finalText);
    SendSMS(QString(), m_finalText);
}

void CDlgSendSMS::OnTimingSend() {
    if (m_busy || IntakeRunning() || !CheckSendInput())
        return;
    if (m_personalized) {
        // In personalised mode this button reads "确定(&O)": the opener
        // builds a text per number, so it gets each number with its contact.
        std::vector<PersonalizedRecipient> recipients;
        const int rows = m_list->GetCount();
        recipients.reserve(static_cast<size_t>(rows));
        for (int i = 0; i < rows; ++i)
            recipients.push_back({NumberFromKey(m_list->GetKey(i)), m_list->GetContactId(i)});
        if (m_handOver)
            m_handOver(recipients, m_finalText);
        done(1003);
        return;
    }
    // A survey's reply window is part of its record, timed or not.
    if (m_survey && !SurveyMinutesValid(&m_surveyMinutes))
        return;
    CDlgMSGTimeSend picker(this);
    if (RunModal(picker) != IDOK || picker.ChosenTime().isEmpty())
        return;
    const QString timingTime = picker.ChosenTime();
    LogWriteString(g_logRun,
                   QStringLiteral("定时发送按钮 将调用CDlgSendSMS::SendSMS：") + timingTime + m_finalText);
    SendSMS(timingTime, m_finalText);
}

void CDlgSendSMS::OnChannelTest() {
    if (m_busy || IntakeRunning())
        return;
    m_ui->sign->setChecked(false);
    m_ui->noSign->setChecked(false);
    m_ui->longSms->setChecked(false);
    RecountContent();
    const int rows = m_list->GetCount();
    if (rows == 0) {
        ShowMessageBox(LoadStr(274), mb::Ok | mb::IconWarning);
        return;
    }
    if (rows > 20) {
        ShowMessageBox(tr("号码列表条数不能超过20."), mb::Ok | mb::IconWarning);
        return;
    }
    const QString text = tr("您好！感谢您使用") + g_strAppTitle +
                         tr("。本条短信为测试通道短信。您的正式短信因运营商规定需要人工审核。谢谢！") +
                         BracketedSignature(Signature());
    m_channelTest = SendSMS(QString(), text);
}

bool CDlgSendSMS::SendSMS(const QString& timingTime, const QString& text) {
    if (m_busy)
        return false;
    if (ShowMessageBox(LoadStr(276), mb::YesNo | mb::IconQuestion) != IDYES) {
        LogWriteString(g_logRun, QStringLiteral("ERROR,取消发送，返回！"));
        return false;
    }
    const QString mark = m_ui->mark->text();
    if (g_nCustomize && mark.isEmpty()) {
        ShowMessageBox(tr("请输入短信归属！"), mb::Ok | mb::IconWarning);
        return false;
    }
    LogWriteString(g_logRun, QStringLiteral("In CDlgSendSMS::SendSMS"));

    // The text is split here, whoever composed it: the signature goes on
    // the last part only.
    const QString signature = Signature().isEmpty() ? QString() : BracketedSignature(Signature());
    SmsSubmitRequest request;
    request.parts = SmsPartsOfText(text, signature, m_ui->longSms->isChecked(), m_numbering);
    request.numbers = BuildNumberLists(*m_list);
    request.timingTime = timingTime;
    request.survey = m_survey;
    request.surveyMinutes = m_surveyMinutes;
    request.korean = m_ui->korean->isChecked();
    request.sendReceiveNum = m_sendReceiveNum;
    request.replaceId = m_loadedRecordId;
    request.keepRecord = m_keepRecord;
    request.mark = mark;
    m_voiceFollowUp = m_ui->voiceFollowUp->isChecked() && !m_personalized;
    request.keepVoiceBatches = m_voiceFollowUp;

    SetBusy(true);
    // Parented too: a submission handed to deleteLater still goes with the window.
    m_submission = std::make_unique<SmsSubmission>(std::make_unique<ServiceSmsSender>(), this);
    connect(m_submission.get(), &SmsSubmission::progress, this, [this](qint64 done, qint64 total) {
        // The bar counts in thousandths: a total of numbers x parts may pass int.
        m_ui->progress->setRange(0, 1000);
        m_ui->progress->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    });
    connect(m_submission.get(), &SmsSubmission::finished, this, &CDlgSendSMS::OnSubmissionFinished);
    m_ui->progress->setRange(0, 1000);
    m_ui->progress->setValue(0);
    m_ui->progress->setVisible(true);
    if (!m_submission->Start(std::move(request))) {
        m_ui->progress->setVisible(false);
        m_submission.reset();
        SetBusy(false);
        return false;
    }
    return true;
}

void CDlgSendSMS::OnSubmissionFinished(const SmsSubmitResult& result) {
    // The submission emits from its own handler: it is released later.
    if (m_submission)
        m_submission.release()->deleteLater();
    if (m_quitting) {
        // Nobody is there to read a box; the records tell what happened.
        m_ui->progress->setVisible(false);
        SetBusy(false);
        done(IDCANCEL);
        return;
    }
    for (const SmsEndMessage& message : SmsSubmitEndMessages(result))
        ShowMessageBox(message.text, mb::Ok | message.icon);
    m_ui->progress->setVisible(false);
    if (m_voiceFollowUp && RunVoiceFollowUp(result))
        return;
    EndSend(result.allSent);
}

bool CDlgSendSMS::RunVoiceFollowUp(const SmsSubmitResult& result) {
    const QString text = m_ui->content->toPlainText();
    if (result.voiceBatches.empty() || !VoiceFollowUpAllowed(text))
        return false;
    if (ShowMessageBox(tr("是否再以语音方式发送?"), mb::YesNo | mb::IconQuestion) != IDYES)
        return false;
    m_voice = std::make_unique<VoiceFollowUp>(std::make_unique<ServiceVoiceSender>(), this);
    const bool allSent = result.allSent;
    connect(m_voice.get(), &VoiceFollowUp::finished, this, [this, allSent](const VoiceFollowUpResult& voice) {
        if (!m_quitting)
            for (const SmsEndMessage& message : VoiceFollowUpEndMessages(voice))
                ShowMessageBox(message.text, mb::Ok | message.icon);
        if (m_voice)
            m_voice.release()->deleteLater();
        EndSend(allSent);
    });
    if (!m_voice->Start(result.voiceBatches, text)) {
        m_voice.reset();
        return false;
    }
    return true;
}

void CDlgSendSMS::EndSend(bool allSent) {
    if (m_quitting) {
        SetBusy(false);
        done(IDCANCEL);
        return;
    }
    ClearAfterSend();
    if (m_channelTest) {
        m_channelTest = false;
        m_ui->preview->clear();
    }
    emit sendFinished(allSent);
}

void CDlgSendSMS::ClearAfterSend() {
    m_voiceFollowUp = false;
    m_list->FreeRows();
    m_ui->content->clear();
    SetBusy(false);
    ShowCount();
    RecountContent();
}

void CDlgSendSMS::OnSaveDraft() {
    if (m_busy || IntakeRunning())
        return;
    QString content = m_ui->content->toPlainText();
    RemoveBracketedSignature(&content, Signature());
    if (content.trimmed().isEmpty()) {
        ShowMessageBox(LoadStr(151), mb::Ok | mb::IconWarning);
        m_ui->content->setFocus();
        return;
    }
    int international = 0;
    const std::vector<SmsRecipient> numbers = BuildDraftNumberList(*m_list, &international);
    int minutes = 0;
    if (m_survey)
        minutes = m_ui->surveyMinutes->text().trimmed().toInt();
    const qint64 id = SaveSmsDraft(g_pDB, content, numbers, international, m_sendReceiveNum, m_survey,
                                   minutes, QDateTime::currentDateTime());
    if (id == 0) {
        // The text stays here to be saved again or sent.
        ShowMessageBox(tr("保存草稿失败"), mb::Ok | mb::IconWarning);
        return;
    }
    ShowMessageBox(LoadStr(267), mb::Ok | mb::IconInformation);
    done(1003);
}
