#include "gui/channels/send_mms_dialog.h"

#include "channels/mms_checks.h"
#include "channels/mms_file.h"
#include "channels/mms_numbers.h"
#include "channels/mms_submission.h"
#include "channels/mobile_news.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/paths.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/channels/edit_pic_dialog.h"
#include "gui/channels/mms_frame_dialog.h"
#include "gui/channels/mms_preview_dialog.h"
#include "gui/contacts/add_tel_code_dialog.h"
#include "gui/contacts/address_list_dialog.h"
#include "gui/contacts/contact_editor.h"
#include "gui/main/app_control.h"
#include "gui/main/gui_globals.h"
#include "gui/sms/time_send_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "sms/recipient_intake.h"
#include "sms/row_sources.h"

#include "ui_send_mms_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>

namespace {

// Rows taken per turn of the event loop while ticked contacts come in.
constexpr int kIntakeSlice = 20000;

QString Numbered(QString text, int n) {
    return text.replace(QLatin1String("%d"), QString::number(n));
}

// The frames of a stored record, in frame order. False when the query failed.
bool ReadStoredFrames(sqlite3* db, int sendId, std::vector<MMSCONTENT>* frames) {
    SqlStatement st(db, "SELECT soundFileFullPath,pictureFullPath,txtContent FROM attachmentContent "
                        "WHERE sendID=? ORDER BY sendIDChildID");
    if (!st.ok())
        return false;
    st.bind(1, sendId);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        MMSCONTENT frame;
        frame.soundPath = st.qtext(0);
        frame.picturePath = st.qtext(1);
        frame.text = st.qtext(2);
        frames->push_back(frame);
    }
    return rc == SQLITE_DONE;
}

} // namespace

CDlgSendMMS::CDlgSendMMS(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgSendMMS>()),
      m_list(std::make_unique<VIRTUAL_LIST_BUF>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    m_intake = std::make_unique<RecipientIntake>(*m_list);

    // Enter does nothing here; no button is pressed by it.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    m_ui->makeNews->setVisible(false);
    m_ui->progress->setVisible(false);
    m_ui->frames->clear();

    CVirtualListCtrl* list = m_ui->numberList;
    list->InsertColumn(0, tr("手机号码"), 95);
    list->InsertColumn(1, tr("联系人"), 80);
    list->SetSortingOn(false);
    list->SetOwner(this);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, &CDlgSendMMS::OnListContextMenu);

    connect(m_ui->addNumber, &QPushButton::clicked, this, &CDlgSendMMS::OnAddNumber);
    connect(m_ui->addRecipient, &QPushButton::clicked, this, &CDlgSendMMS::OnAddRecipient);
    connect(m_ui->sendNow, &QPushButton::clicked, this, &CDlgSendMMS::OnSendNow);
    connect(m_ui->timingSend, &QPushButton::clicked, this, &CDlgSendMMS::OnTimingSend);
    connect(m_ui->saveDraft, &QPushButton::clicked, this, &CDlgSendMMS::OnSaveDraft);
    connect(m_ui->addFrame, &QPushButton::clicked, this, &CDlgSendMMS::OnAddFrame);
    connect(m_ui->deleteFrame, &QPushButton::clicked, this, &CDlgSendMMS::OnDeleteFrame);
    connect(m_ui->editPicture, &QPushButton::clicked, this, &CDlgSendMMS::OnEditPicture);
    connect(m_ui->preview, &QPushButton::clicked, this, &CDlgSendMMS::OnPreview);
    connect(m_ui->exportMms, &QPushButton::clicked, this, &CDlgSendMMS::OnExport);
    connect(m_ui->importMms, &QPushButton::clicked, this, &CDlgSendMMS::OnImport);
    connect(m_ui->frames, &QTabWidget::currentChanged, this, &CDlgSendMMS::OnTabChange);

    m_intakeTimer = new QTimer(this);
    m_intakeTimer->setInterval(0);
    connect(m_intakeTimer, &QTimer::timeout, this, &CDlgSendMMS::IntakeStep);
}

CDlgSendMMS::~CDlgSendMMS() {
    m_ui->numberList->SetOwner(nullptr);
    // The submission joins its worker; it must go before the list it read.
    m_submission.reset();
    m_intake.reset();
}

// ---- what the opener sets -----------------------------------------------------

void CDlgSendMMS::SetPersonalised(bool personalised) {
    m_personalised = personalised;
}

void CDlgSendMMS::SetRecipientSource(const ContactSelection* selection) {
    m_selection = selection;
}

void CDlgSendMMS::SetNumberTriples(const QStringList& triples) {
    m_triples += triples;
}

void CDlgSendMMS::SetTitle(const QString& title) {
    m_title = title;
}

void CDlgSendMMS::SetPresetFrames(const std::vector<MMSCONTENT>& frames) {
    m_presetFrames = frames;
    m_hasPresetFrames = !frames.empty();
}

void CDlgSendMMS::SetStoredRecord(int sendId, bool replace) {
    m_sendId = sendId;
    m_storedRecord = replace && sendId > 0;
}

// ---- opening ------------------------------------------------------------------

void CDlgSendMMS::showEvent(QShowEvent* event) {
    if (!m_initialized)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CDlgSendMMS::OnInitDialog() {
    if (m_initialized)
        return;
    m_initialized = true;
    if (m_personalised) {
        m_ui->saveDraft->setVisible(false);
        m_ui->editPicture->setVisible(false);
        m_ui->preview->setVisible(false);
    }
    QStringList banner;
    for (const QString& part : {g_strAppTitle, g_strHotLine, g_strNationwidePhone})
        if (!part.isEmpty())
            banner << part;
    m_ui->banner->setText(banner.join(QLatin1Char(' ')));
    m_ui->banner->setFont(g_fontNormal);
    m_ui->sizeText->setFont(g_fontNormal);

    if (m_hasPresetFrames) {
        ShowFrames(m_presetFrames);
        m_presetFrames.clear();
    } else if (m_sendId <= 0) {
        AddFrame(0);
    }
    m_ui->title->setText(m_title);
    UpdateFrameButtons();
    // An operator may not type numbers of his own.
    if (g_pLoginRights && !g_pLoginRights->isEmpty() && g_pLoginRights->at(0).startsWith(QLatin1String("OP")))
        m_ui->addNumber->setVisible(false);
    UpdateNumberCount();
    UpdateSizeText();
    // The loading waits until the window is up.
    QTimer::singleShot(50, this, &CDlgSendMMS::OnTimer1);
}

void CDlgSendMMS::OnTimer1() {
    if (m_sendId > 0 && m_editors.empty())
        LoadStoredFrames();
    if (m_selection)
        m_intake->AddSelection(g_pDB, *m_selection);
    if (!m_triples.isEmpty()) {
        const QStringList triples = m_triples;
        m_triples.clear();
        OnAddNumbers(triples);
    }
    StartIntake();
}

void CDlgSendMMS::LoadStoredFrames() {
    std::vector<MMSCONTENT> stored;
    if (!ReadStoredFrames(g_pDB, m_sendId, &stored))
        LogWriteString(g_logRun, QStringLiteral("读取彩信附件记录出错了"));
    RemoveAllFrames();
    // A record without frames still opens with one empty frame to fill.
    if (stored.empty())
        AddFrame(0);
    else
        ShowFrames(stored);
    UpdateFrameButtons();
    UpdateSizeText();
}

// ---- recipients ---------------------------------------------------------------

bool CDlgSendMMS::IntakeRunning() const {
    return m_intake && !m_intake->Done();
}

void CDlgSendMMS::StartIntake() {
    if (!IntakeRunning())
        return;
    UpdateControls();
    if (!m_intakeTimer->isActive())
        m_intakeTimer->start();
}

void CDlgSendMMS::IntakeStep() {
    if (m_intake && !m_intake->Done())
        m_intake->Step(kIntakeSlice);
    if (!IntakeRunning())
        m_intakeTimer->stop();
    UpdateNumberCount();
    UpdateControls();
}

void CDlgSendMMS::OnAddNumbers(const QStringList& triples) {
    // From the last triple to the first: of a number handed over twice the
    // later row's name is kept.
    for (qsizetype i = (triples.size() / 3) * 3 - 3; i >= 0; i -= 3) {
        const std::optional<qint64> key = MmsNumberKey(triples.at(i).trimmed());
        if (!key || m_list->Lookup(*key, nullptr))
            continue;
        const QString name = triples.at(i + 1);
        bool ok = false;
        const int contactId = triples.at(i + 2).trimmed().toInt(&ok);
        m_list->SetItem(m_list->GetCount(), &*key, name.isEmpty() ? nullptr : &name, ok ? contactId : 0);
    }
    UpdateNumberCount();
}

void CDlgSendMMS::ReceivePickedContacts(const std::vector<PickedContact>& contacts) {
    QStringList triples;
    triples.reserve(static_cast<qsizetype>(contacts.size() * 3));
    for (const PickedContact& c : contacts)
        triples << c.number << c.name << QString::number(c.perNO);
    OnAddNumbers(triples);
}

void CDlgSendMMS::OnAddNumber() {
    if (m_busy)
        return;
    CDlgAddTelCode entry(this);
    entry.m_numberList = m_list.get();
    if (RunModal(entry) == 1003)
        UpdateNumberCount();
}

void CDlgSendMMS::OnAddRecipient() {
    if (m_busy)
        return;
    CDlgAddressList picker(this);
    picker.m_forMms = true;
    picker.m_receiver = this;
    if (RunModal(picker) == 1003)
        UpdateNumberCount();
}

QString CDlgSendMMS::CellText(int row, int column) {
    if (row < 0 || row >= m_list->GetCount())
        return QString();
    if (column == 0)
        return MmsNumberDisplay(m_list->GetKey(row));
    QString name;
    m_list->GetRow(row, nullptr, &name);
    return name;
}

void CDlgSendMMS::UpdateNumberCount(int n) {
    const int rows = n < 0 ? m_list->GetCount() : n;
    m_ui->countLine->setText(Numbered(tr("号码列表 共 %d 条记录"), rows));
    m_ui->numberList->SetItemCount(rows);
    m_ui->numberList->RedrawItems();
    m_ui->chargeLine->setText(Numbered(tr("本次按 %d 条扣费."), 3 * m_ui->numberList->ItemCount()));
}

void CDlgSendMMS::OnListContextMenu(const QPoint& pos) {
    if (m_busy)
        return;
    const QModelIndex hit = m_ui->numberList->indexAt(pos);
    bool named = false;
    if (hit.isValid()) {
        QString name;
        named = m_list->GetRow(hit.row(), nullptr, &name) && !name.isEmpty();
    }
    QMenu menu(this);
    QAction* remove = menu.addAction(tr("移出发送列表"));
    remove->setEnabled(hit.isValid());
    connect(remove, &QAction::triggered, this, [this] { OnListMenuCommand(10001); });
    menu.addSeparator();
    QAction* save = menu.addAction(tr("保存联系人"));
    save->setEnabled(hit.isValid() && !named);
    connect(save, &QAction::triggered, this, [this] { OnListMenuCommand(10002); });
    QAction* clear = menu.addAction(tr("清空列表"));
    connect(clear, &QAction::triggered, this, [this] { OnListMenuCommand(10003); });
    menu.exec(m_ui->numberList->viewport()->mapToGlobal(pos));
}

void CDlgSendMMS::OnListMenuCommand(int id) {
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
        if (selected.size() != 1) {
            ShowMessageBox(LoadStr(179), mb::Ok | mb::IconWarning);
            return;
        }
        // The contact gets the number itself, never the masked text on screen.
        OpenNewContactEditorForNumber(this, NumberFromKey(m_list->GetKey(selected.front())));
        return;
    case 10003:
        if (m_intake)
            m_intake->Cancel();
        m_list->FreeRows();
        break;
    default:
        return;
    }
    if (QItemSelectionModel* selection = m_ui->numberList->selectionModel())
        selection->clearSelection();
    UpdateNumberCount();
}

// ---- frames -------------------------------------------------------------------

CDlgMMSFrame* CDlgSendMMS::FrameEditor(int index) const {
    if (index < 0 || index >= FrameCount())
        return nullptr;
    return m_editors[static_cast<size_t>(index)];
}

std::vector<MMSCONTENT> CDlgSendMMS::EditorContents() const {
    std::vector<MMSCONTENT> contents;
    contents.reserve(m_editors.size());
    for (const CDlgMMSFrame* editor : m_editors)
        contents.push_back(editor->Content());
    return contents;
}

void CDlgSendMMS::RelabelTabs(int from) {
    for (int i = std::max(0, from); i < m_ui->frames->count(); ++i)
        m_ui->frames->setTabText(i, Numbered(tr("第%d帧"), i + 1));
}

void CDlgSendMMS::AddFrame(int index, const MMSCONTENT* content) {
    if (FrameCount() >= kMmsMaxFrames)
        return;
    if (index < 0 || index > FrameCount())
        index = FrameCount();
    auto* editor = new CDlgMMSFrame(m_ui->frames, m_personalised);
    if (content)
        editor->FillFromContent(*content);
    connect(editor, &CDlgMMSFrame::SizeChanged, this, &CDlgSendMMS::UpdateSizeText);
    // Further pictures chosen together open frames of their own at the end.
    connect(editor, &CDlgMMSFrame::FrameRequested, this, [this](const MMSCONTENT& picture) {
        AddFrame(-1, &picture);
        UpdateFrameButtons();
        UpdateSizeText();
    });
    m_editors.insert(m_editors.begin() + index, editor);
    {
        // The tab widget would report the new tab as current while it is
        // inserted; which frame is current is decided here.
        const QSignalBlocker blocker(m_ui->frames);
        m_ui->frames->insertTab(index, editor, QString());
        RelabelTabs(index);
        if (m_tabsReady)
            m_ui->frames->setCurrentIndex(index);
        else
            m_ui->frames->setCurrentIndex(std::clamp(m_current, 0, FrameCount() - 1));
    }
    if (m_tabsReady)
        m_current = index;
}

void CDlgSendMMS::UpdateFrameButtons() {
    m_ui->addFrame->setEnabled(!m_busy && FrameCount() < kMmsMaxFrames);
    m_ui->deleteFrame->setEnabled(!m_busy && FrameCount() > 1);
}

void CDlgSendMMS::OnAddFrame() {
    if (m_busy || FrameCount() >= kMmsMaxFrames)
        return;
    AddFrame(m_current + 1);
    UpdateFrameButtons();
    UpdateSizeText();
}

void CDlgSendMMS::OnDeleteFrame() {
    if (m_busy || FrameCount() <= 1)
        return;
    const int index = m_current;
    CDlgMMSFrame* editor = m_editors[static_cast<size_t>(index)];
    m_editors.erase(m_editors.begin() + index);
    {
        const QSignalBlocker blocker(m_ui->frames);
        m_ui->frames->removeTab(index);
        RelabelTabs(index);
        // The frame after the deleted one takes its place; after the last,
        // the one before it.
        m_current = std::min(index, FrameCount() - 1);
        m_ui->frames->setCurrentIndex(m_current);
    }
    delete editor;
    UpdateFrameButtons();
    UpdateSizeText();
}

void CDlgSendMMS::OnTabChange(int index) {
    if (index < 0 || index >= FrameCount())
        return;
    m_current = index;
    m_ui->sendNow->setFocus();
}

void CDlgSendMMS::RemoveAllFrames() {
    const QSignalBlocker blocker(m_ui->frames);
    while (m_ui->frames->count() > 0)
        m_ui->frames->removeTab(0);
    for (CDlgMMSFrame* editor : m_editors)
        delete editor;
    m_editors.clear();
    m_current = 0;
}

void CDlgSendMMS::ShowFrames(const std::vector<MMSCONTENT>& contents) {
    RemoveAllFrames();
    m_tabsReady = false;
    for (size_t i = 0; i < contents.size() && i < static_cast<size_t>(kMmsMaxFrames); ++i)
        AddFrame(static_cast<int>(i), &contents[i]);
    m_current = 0;
    {
        const QSignalBlocker blocker(m_ui->frames);
        m_ui->frames->setCurrentIndex(0);
    }
    m_tabsReady = true;
}

void CDlgSendMMS::UpdateSizeText() {
    m_ui->sizeText->setText(MmsSizeText(EditorContents()));
}

// ---- checks -------------------------------------------------------------------

bool CDlgSendMMS::RefillFrameContents() {
    m_contents = EditorContents();
    for (size_t i = 0; i < m_contents.size(); ++i) {
        const MMSCONTENT& frame = m_contents[i];
        if (frame.picturePath.isEmpty() && frame.soundPath.isEmpty() && frame.text.isEmpty()) {
            m_contents.clear();
            ShowMessageBox(Numbered(tr("第%d帧的文件及文本内容不能全为空"), static_cast<int>(i) + 1),
                           mb::Ok | mb::IconWarning);
            return false;
        }
    }
    return true;
}

bool CDlgSendMMS::CheckBeforeSend() {
    if (m_list->GetCount() == 0) {
        ShowMessageBox(LoadStr(274), mb::Ok | mb::IconWarning);
        return true;
    }
    const QString title = m_ui->title->text().trimmed();
    if (title.isEmpty()) {
        ShowMessageBox(LoadStr(275), mb::Ok | mb::IconWarning);
        return true;
    }
    if (m_ui->title->text().size() > 30) {
        ShowMessageBox(LoadStr(290), mb::Ok | mb::IconWarning);
        return true;
    }
    return !RefillFrameContents();
}

// ---- sending ------------------------------------------------------------------

void CDlgSendMMS::OnSendNow() {
    if (m_busy || IntakeRunning() || CheckBeforeSend())
        return;
    const int autoPreview =
        ini::ReadInt(OemInfoIniPath(), QStringLiteral("System"), QStringLiteral("AutoPreviewMMS"), 0);
    if (autoPreview != 0) {
        CDlgMMSPreview preview(this);
        preview.SetFrames(EditorContents());
        preview.SetAutoSend(true);
        // 0: the count-down ran out, or the user chose to send.
        if (RunModal(preview) != 0)
            return;
    }
    LogWriteString(g_logRun, QStringLiteral("立即发送按钮 将调用CDlgSendMMS::SendMMS"));
    SendMMS(QString());
}

void CDlgSendMMS::OnTimingSend() {
    if (m_busy || IntakeRunning() || CheckBeforeSend())
        return;
    CDlgMSGTimeSend picker(this);
    if (RunModal(picker) != IDOK || picker.ChosenTime().isEmpty())
        return;
    const QString timingTime = picker.ChosenTime();
    LogWriteString(g_logRun, QStringLiteral("定时发送按钮 将调用CDlgSendMMS::SendMMS：") +
                                 m_ui->title->text() + timingTime);
    SendMMS(timingTime);
}

bool CDlgSendMMS::SendMMS(const QString& timingTime) {
    if (m_busy)
        return false;
    if (3LL * m_list->GetCount() > 999999999LL) {
        ShowMessageBox(LoadStr(241), mb::Ok);
        LogWriteString(g_logRun, QStringLiteral("ERROR,余额不足，返回！"));
        return false;
    }
    if (ShowMessageBox(LoadStr(276), mb::YesNo | mb::IconQuestion) != IDYES)
        return false;
    LogWriteString(g_logRun, QStringLiteral("In CDlgSendMMS::SendMMS"));

    MmsSubmitRequest request;
    request.title = m_ui->title->text();
    request.frames = m_contents;
    request.numbers = BuildRecipients(*m_list);
    request.timingTime = timingTime;
    request.personalised = m_personalised;
    request.replaceId = m_storedRecord ? m_sendId : 0;

    SetBusy(true);
    m_submission = std::make_unique<MmsSubmission>(std::make_unique<ServiceMmsSender>(), this);
    connect(m_submission.get(), &MmsSubmission::progress, this, [this](qint64 done, qint64 total) {
        m_ui->progress->setRange(0, 1000);
        m_ui->progress->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    });
    connect(m_submission.get(), &MmsSubmission::finished, this, &CDlgSendMMS::OnSubmissionFinished);
    m_ui->progress->setRange(0, 1000);
    m_ui->progress->setValue(0);
    m_ui->progress->setVisible(true);
    if (m_submission->Start(std::move(request)) != MmsStartResult::Started) {
        m_ui->progress->setVisible(false);
        m_submission.reset();
        SetBusy(false);
        return false;
    }
    return true;
}

void CDlgSendMMS::OnSubmissionFinished(const MmsSubmitResult& result) {
    // The submission emits from its own handler: it is released later.
    if (m_submission)
        m_submission.release()->deleteLater();
    m_ui->progress->setVisible(false);
    if (result.lastSendId > 0) {
        // Later saves of this window add records of their own.
        m_storedRecord = false;
        m_sendId = static_cast<int>(result.lastSendId);
    }
    if (m_quitting) {
        // Nobody is there to read a box; the records tell what happened.
        SetBusy(false);
        done(IDCANCEL);
        return;
    }
    if (result.stoppedByWriteFailure && result.sentCount + result.failedCount + result.unknownCount == 0) {
        // The first record could not be written (its box was shown): nothing
        // went out and nothing is in the failure records, so the MMS stays
        // here to be sent again.
        SetBusy(false);
        emit sendFinished(false);
        return;
    }
    const SmsEndMessage message = MmsSubmitEndMessage(result);
    ShowMessageBox(message.text, mb::Ok | message.icon);
    SetBusy(false);
    emit sendFinished(result.failedCount == 0 && result.unknownCount == 0);
    m_contents.clear();
    done(1003);
}

void CDlgSendMMS::OnSaveDraft() {
    if (m_busy || IntakeRunning())
        return;
    if (m_ui->title->text().trimmed().isEmpty()) {
        ShowMessageBox(LoadStr(275), mb::Ok | mb::IconWarning);
        return;
    }
    if (!RefillFrameContents())
        return;
    const qint64 id = SaveMmsDraft(g_pDB, m_ui->title->text(), m_contents, BuildRecipients(*m_list),
                                   m_storedRecord ? m_sendId : 0, QDateTime::currentDateTime());
    if (id <= 0)
        return; // the writer said what failed
    m_storedRecord = false;
    m_sendId = static_cast<int>(id);
    ShowMessageBox(LoadStr(267), mb::Ok | mb::IconInformation);
}

// ---- picture, preview, files ----------------------------------------------------

void CDlgSendMMS::OnEditPicture() {
    CDlgMMSFrame* editor = FrameEditor(m_current);
    if (m_busy || !editor)
        return;
    MMSCONTENT content = editor->Content();
    if (content.picturePath.isEmpty()) {
        ShowMessageBox(LoadStr(295), mb::Ok | mb::IconWarning);
        return;
    }
    if (content.picturePath.right(3).compare(QLatin1String("gif"), Qt::CaseInsensitive) == 0) {
        ShowMessageBox(LoadStr(296), mb::Ok | mb::IconWarning);
        return;
    }
    CDlgEditPic picture(this);
    picture.SetPicturePath(content.picturePath);
    if (RunModal(picture) != 1003)
        return;
    content.picturePath = picture.OutputPath();
    editor->FillFromContent(content);
    UpdateSizeText();
}

void CDlgSendMMS::OnPreview() {
    if (m_busy)
        return;
    CDlgMMSPreview preview(this);
    preview.SetFrames(EditorContents());
    RunModal(preview);
}

void CDlgSendMMS::OnExport() {
    if (m_busy)
        return;
    const QString path =
        ChooseSaveFile(this, tr("Mms文件(*.mms)|*.mms||"), m_ui->title->text(), QStringLiteral("mms"));
    if (path.isEmpty())
        return;
    const bool ok = ExportMms(path, m_ui->title->text(), EditorContents());
    ShowMessageBox(ok ? tr("导出本条彩信成功!") : tr("导出本条彩信失败!"), mb::Ok | mb::IconInformation);
}

void CDlgSendMMS::OnImport() {
    if (m_busy)
        return;
    const QString path = ChooseOpenFile(this, tr("Mms文件(*.mms)|*.mms||"));
    if (path.isEmpty())
        return;
    QString title;
    std::vector<MMSCONTENT> frames;
    // A failed import changes nothing here.
    if (!ImportMms(path, &title, &frames) || frames.empty()) {
        ShowMessageBox(tr("导入彩信失败!"), mb::Ok | mb::IconInformation);
        return;
    }
    ShowFrames(frames);
    m_ui->title->setText(title);
    UpdateFrameButtons();
    UpdateSizeText();
    ShowMessageBox(tr("导入彩信成功!"), mb::Ok | mb::IconInformation);
}

// ---- busy state and closing ------------------------------------------------------

void CDlgSendMMS::UpdateControls() {
    const bool idle = !m_busy;
    const bool canSend = idle && !IntakeRunning();
    // While a send runs its buttons are gone: a second send cannot start.
    for (QPushButton* button : {m_ui->sendNow, m_ui->timingSend, m_ui->editPicture, m_ui->preview})
        button->setVisible(idle &&
                           (!m_personalised || (button != m_ui->editPicture && button != m_ui->preview)));
    m_ui->saveDraft->setVisible(idle && !m_personalised);
    m_ui->sendNow->setEnabled(canSend);
    m_ui->timingSend->setEnabled(canSend);
    m_ui->saveDraft->setEnabled(canSend);
    m_ui->addRecipient->setEnabled(idle);
    m_ui->addNumber->setEnabled(idle);
    m_ui->importMms->setEnabled(idle);
    m_ui->exportMms->setEnabled(idle);
    m_ui->frames->setEnabled(idle);
    m_ui->title->setReadOnly(!idle);
    UpdateFrameButtons();
}

void CDlgSendMMS::SetBusy(bool busy) {
    m_busy = busy;
    setProperty(kFinishingWorkProperty, busy);
    UpdateControls();
}

void CDlgSendMMS::OnCancel() {
    // A send in flight ends by itself; closing now would drop the outcome of
    // the batch on the wire. A quit of the program lets that batch finish
    // and records the rest as failed.
    if (m_busy) {
        if (QuitRequested() && !m_quitting) {
            m_quitting = true;
            if (m_submission)
                m_submission->RequestStop();
        }
        return;
    }
    if (!QuitRequested() && !ConfirmCloseIfEdited(m_ui->title, m_list->GetCount()))
        return;
    if (m_intake)
        m_intake->Cancel();
    m_intakeTimer->stop();
    done(1002);
}

void CDlgSendMMS::reject() {
    OnCancel();
}

void CDlgSendMMS::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCancel();
}

void CDlgSendMMS::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        OnCancel();
        return;
    }
    // Enter sends nothing.
    if (SwallowEnter(event))
        return;
    QDialog::keyPressEvent(event);
}
