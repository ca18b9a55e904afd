#include "gui/channels/weibo_dialog.h"

#include "channels/weibo_download.h"
#include "channels/weibo_export.h"
#include "core/app_globals.h"
#include "core/http.h"
#include "gui/main/main_window.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/multiline_list_box.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "platform/url_open.h"

#include "ui_weibo_dialog.h"

#include <QMenu>
#include <QPushButton>

namespace {

// How much of a service's answer an entry or a box shows.
constexpr int kShownErrorChars = 1000;

const QString kTokenSection = QStringLiteral("WeiBo");
const QString kTokenKey = QStringLiteral("AccessToken");

// What one fetch of the timeline or of a comment list brought.
struct Fetched {
    int count = -1;
    QString error;
    std::vector<WeiboRecord> records;
};

// Runs on the worker: `fetch` gives the count (-1 failure), `get` each record.
template <typename Fetch, typename Get>
void FetchInto(CWeiboClient& client, Fetched& out, Fetch fetch, Get get) {
    out.count = fetch();
    out.error = client.LastError();
    for (int i = 0; i < out.count; ++i) {
        WeiboRecord record;
        if (get(i, record) == 0)
            out.records.push_back(std::move(record));
    }
}

void FetchTimeline(CWeiboClient& client, Fetched& out) {
    FetchInto(
        client, out, [&client] { return client.GetUserTimeline(); },
        [&client](int i, WeiboRecord& r) { return client.GetStatus(i, r); });
}

void FetchComments(CWeiboClient& client, qint64 statusId, Fetched& out) {
    FetchInto(
        client, out, [&client, statusId] { return client.GetComments(statusId); },
        [&client](int i, WeiboRecord& r) { return client.GetComment(i, r); });
}

} // namespace

CDlgWeibo::CDlgWeibo(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgWeibo>()), m_client(std::make_unique<CWeiboClient>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    setWindowFlags(Qt::Widget);
    // It lies over the received page, which must not show through.
    setAutoFillBackground(true);

    connect(m_ui->login, &QPushButton::clicked, this, &CDlgWeibo::Login);
    connect(m_ui->refresh, &QPushButton::clicked, this, [this] { ShowTimeline(true); });
    connect(m_ui->back, &QPushButton::clicked, this, [this] { ShowTimeline(false); });
    connect(m_ui->list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_ui->list->setCurrentItem(item);
        ShowComments();
    });
    connect(m_ui->list, &QWidget::customContextMenuRequested, this, &CDlgWeibo::OnContextMenu);

    // Read whole: a longer token cut short would fail every login again.
    const QString token = ini::ReadString(g_strAccountIni, kTokenSection, kTokenKey);
    if (token.size() >= CWeiboClient::kMinTokenLength) {
        m_client->SetAccessToken(token);
        m_mode = TimelineShown; // the list stays empty until "刷新"
        ShowAuthorisation(false);
    } else {
        OpenUrlExternally(CWeiboClient::AuthorizeUrl());
        ShowAuthorisation(true);
        m_ui->code->setFocus();
    }
}

CDlgWeibo::~CDlgWeibo() {
    if (m_cancel)
        m_cancel->cancel();
    if (m_job.Running())
        g_hStatusBar(2, QString());
    m_job.Stop();
}

CMultiLineListBox* CDlgWeibo::List() const {
    return m_ui->list;
}

void CDlgWeibo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_mode == NotAuthorised)
        m_ui->code->setFocus();
}

// ---- state ---------------------------------------------------------------------

void CDlgWeibo::ShowAuthorisation(bool waiting) {
    m_ui->codePrompt->setVisible(waiting);
    m_ui->code->setVisible(waiting);
    m_ui->login->setVisible(waiting);
    m_ui->list->setVisible(!waiting);
    SetBusy(Busy());
}

void CDlgWeibo::SetBusy(bool busy) {
    // Before the login there is no timeline to fetch or return to.
    const bool authorised = m_ui->list->isVisibleTo(this);
    m_ui->login->setEnabled(!busy);
    m_ui->refresh->setEnabled(!busy && authorised);
    m_ui->back->setEnabled(!busy && authorised);
    m_ui->list->setEnabled(!busy);
    if (m_reply)
        m_reply->SetBusy(busy);
}

bool CDlgWeibo::RunRequest(std::function<void()> work, std::function<void()> then) {
    if (m_job.Running())
        return false;
    auto cancel = std::make_shared<HttpCancel>();
    m_cancel = cancel;
    SetBusy(true);
    g_hStatusBar(2, tr("正在处理..."));
    m_job.Run(
        [cancel, work = std::move(work)] {
            HttpCancelScope scope(*cancel);
            work();
            return true;
        },
        [this, then = std::move(then)](bool) {
            m_cancel.reset();
            SetBusy(false);
            g_hStatusBar(2, QString());
            then();
        });
    return true;
}

// ---- entries -------------------------------------------------------------------

void CDlgWeibo::ClearEntries() {
    m_ui->list->clear();
}

void CDlgWeibo::AddEntry(const QString& text, std::optional<qint64> id) {
    auto* item = new QListWidgetItem(text, m_ui->list);
    if (id)
        item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(*id));
}

void CDlgWeibo::AddErrorEntry(const QString& error) {
    AddEntry(tr("错误信息：\r\n%1 \r\n \r\n").arg(error.left(kShownErrorChars)));
}

std::optional<qint64> CDlgWeibo::EntryRecord(int row) const {
    const QListWidgetItem* item = m_ui->list->item(row);
    if (!item)
        return std::nullopt;
    const QVariant id = item->data(Qt::UserRole);
    if (!id.isValid())
        return std::nullopt;
    return id.toLongLong();
}

int CDlgWeibo::SelectedRow() const {
    return m_ui->list->currentRow();
}

const WeiboRecord* CDlgWeibo::FindRecord(const std::vector<WeiboRecord>& records,
                                         std::optional<qint64> id) const {
    if (!id)
        return nullptr;
    for (const WeiboRecord& record : records)
        if (record.id == *id)
            return &record;
    return nullptr;
}

// ---- timeline and comments -----------------------------------------------------

void CDlgWeibo::Login() {
    if (Busy())
        return;
    const QString code = m_ui->code->text();
    auto token = std::make_shared<std::optional<QString>>();
    CWeiboClient* client = m_client.get();
    RunRequest([client, code, token] { *token = client->GetAccessToken(code); },
               [this, token] {
                   if (!*token)
                       return;
                   ini::WriteString(g_strAccountIni, kTokenSection, kTokenKey, **token);
                   ShowAuthorisation(false);
                   ShowTimeline(true);
               });
}

void CDlgWeibo::ShowTimeline(bool fetch) {
    if (Busy())
        return;
    m_mode = TimelineShown;
    if (!fetch) {
        FillTimeline();
        return;
    }
    ClearEntries();
    auto fetched = std::make_shared<Fetched>();
    CWeiboClient* client = m_client.get();
    RunRequest([client, fetched] { FetchTimeline(*client, *fetched); },
               [this, fetched] {
                   m_statuses = std::move(fetched->records);
                   m_timelineError.reset();
                   if (fetched->count < 0)
                       m_timelineError = fetched->error;
                   FillTimeline();
               });
}

void CDlgWeibo::FillTimeline() {
    ClearEntries();
    if (m_timelineError) {
        AddErrorEntry(*m_timelineError);
        return;
    }
    for (const WeiboRecord& status : m_statuses)
        AddEntry(tr("用户：%1 \r\n%2\r\n").arg(status.userName, status.text), status.id);
}

void CDlgWeibo::ShowComments() {
    if (Busy() || m_mode != TimelineShown)
        return;
    // The error entry holds no status: nothing to show the comments of.
    const std::optional<qint64> id = EntryRecord(SelectedRow());
    if (!id)
        return;
    const WeiboRecord* status = FindRecord(m_statuses, id);
    m_commentedStatus = status ? *status : WeiboRecord{};
    m_commentedStatus.id = *id;
    m_comments.clear();
    m_mode = CommentsShown;
    ClearEntries();
    auto fetched = std::make_shared<Fetched>();
    CWeiboClient* client = m_client.get();
    const qint64 statusId = *id;
    RunRequest([client, fetched, statusId] { FetchComments(*client, statusId, *fetched); },
               [this, fetched] {
                   if (fetched->count < 0) {
                       AddErrorEntry(fetched->error);
                       return;
                   }
                   m_comments = std::move(fetched->records);
                   if (m_comments.empty()) {
                       AddEntry(tr("该微博没有评论！"));
                       return;
                   }
                   for (const WeiboRecord& comment : m_comments)
                       AddEntry(tr("该评论来自用户：%1 \r\n%2\r\n").arg(comment.userName, comment.text),
                                comment.id);
               });
}

// ---- context menu --------------------------------------------------------------

void CDlgWeibo::OnContextMenu(const QPoint& pos) {
    QListWidgetItem* item = m_ui->list->itemAt(pos);
    if (!item)
        return;
    const std::unique_ptr<QMenu> menu = CreateContextMenu(m_ui->list->row(item));
    if (!menu)
        return;
    QAction* chosen = menu->exec(m_ui->list->viewport()->mapToGlobal(pos));
    if (chosen && chosen->isEnabled())
        OnMenuCommand(chosen->objectName().toInt());
}

std::unique_ptr<QMenu> CDlgWeibo::CreateContextMenu(int row) {
    if (row < 0 || row >= m_ui->list->count())
        return nullptr;
    // A right click only selects; the comments come with a double-click.
    m_ui->list->setCurrentRow(row);
    const bool record = EntryRecord(row).has_value();
    auto menu = std::make_unique<QMenu>(this);
    auto add = [&](int id, const QString& text, bool enabled) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::number(id));
        action->setEnabled(enabled);
    };
    if (m_mode == CommentsShown)
        add(10001, tr("回复该评论"), record);
    add(10002, tr("转发为短信"), true);
    if (m_mode == TimelineShown)
        add(10003, tr("导出该条微博为xml文件"), record);
    return menu;
}

void CDlgWeibo::OnMenuCommand(int id) {
    if (Busy())
        return;
    switch (id) {
    case 10001:
        OpenReply();
        break;
    case 10002:
        Forward();
        break;
    case 10003:
        ExportStatus();
        break;
    default:
        break;
    }
}

void CDlgWeibo::OpenReply() {
    if (m_mode != CommentsShown)
        return;
    const WeiboRecord* comment = FindRecord(m_comments, EntryRecord(SelectedRow()));
    if (!comment)
        return;
    if (!m_reply) {
        m_reply = new CDlgWeiboReply(this, *m_client,
                                     [this](std::function<void()> work, std::function<void()> then) {
                                         return RunRequest(std::move(work), std::move(then));
                                     });
    }
    m_reply->SetRecords(m_commentedStatus, *comment);
    m_reply->show();
    m_reply->raise();
    m_reply->activateWindow();
}

void CDlgWeibo::Forward() {
    const QListWidgetItem* item = m_ui->list->item(SelectedRow());
    if (!item)
        return;
    // The status or comment without its "用户：" line.
    const QString text = item->text();
    const int lineBreak = text.indexOf(QLatin1Char('\n'));
    CDlgSendSMS composer(this, 1);
    composer.SetPrefillContent(lineBreak < 0 ? QString() : text.mid(lineBreak + 1));
    RunModal(composer);
}

void CDlgWeibo::ExportStatus() {
    if (m_mode != TimelineShown)
        return;
    const WeiboRecord* found = FindRecord(m_statuses, EntryRecord(SelectedRow()));
    if (!found)
        return;
    const WeiboRecord status = *found;
    struct Exported {
        QString headPic;
        QString attachedPic;
        Fetched comments;
    };
    auto out = std::make_shared<Exported>();
    CWeiboClient* client = m_client.get();
    RunRequest(
        [client, status, out] {
            const QString folder = WeiboPictureFolder();
            // A status without a picture has no address: nothing to fetch.
            if (!status.avatarLarge.isEmpty())
                out->headPic = DownloadFollowingOnce(status.avatarLarge, folder);
            if (!status.originalPic.isEmpty())
                out->attachedPic = DownloadFollowingOnce(status.originalPic, folder);
            FetchComments(*client, status.id, out->comments);
        },
        [this, status, out] {
            // A file without the comments would pass for the whole status.
            if (out->comments.count < 0) {
                ShowMessageBox(
                    tr("获取评论失败，未导出：\r\n%1").arg(out->comments.error.left(kShownErrorChars)),
                    mb::Ok | mb::IconWarning);
                return;
            }
            const QString path = ChooseSaveFile(this, tr("XML文件(*.xml)|*.xml||"),
                                                QStringLiteral("单条微博"), QStringLiteral("xml"));
            if (path.isEmpty())
                return;
            QString error;
            if (!SaveWeiboXml(path,
                              BuildWeiboXml(status, out->comments.records, out->headPic, out->attachedPic),
                              error))
                ShowMessageBox(tr("导出失败：%1").arg(error), mb::Ok | mb::IconWarning);
        });
}
