#pragma once
// The microblog page over the received messages: the user's own timeline,
// the comments of one status, the reply to a comment, a status or comment
// forwarded as an SMS, and one status exported with its comments and
// pictures to an XML file.
//
// Without a stored token (fewer than five characters of [WeiBo] AccessToken
// in the per-account settings file) the page opens the service's
// authorisation page in the browser and asks for the code it shows; "登录"
// trades the code for a token and stores it.
//
// Every request runs on a worker the page owns, one at a time; meanwhile its
// buttons and list are disabled and the main window's status bar says
// "正在处理...". The page joins the worker (cancelling its request) before it
// goes.
#include "channels/weibo_client.h"
#include "gui/channels/weibo_reply_dialog.h"
#include "gui/widgets/worker_progress.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class CDlgWeibo;
}
class CMultiLineListBox;
class HttpCancel;
class QMenu;

class CDlgWeibo : public QDialog {
    Q_OBJECT
public:
    enum Mode { NotAuthorised = 0, TimelineShown = 1, CommentsShown = 2 };

    explicit CDlgWeibo(QWidget* parent);
    ~CDlgWeibo() override;

    // "登录": trades the code box's text for a token; with one, stores it,
    // shows the list and fetches the timeline. Without one nothing changes.
    void Login();
    // The timeline: fetched again with `fetch`, else the last answer's.
    void ShowTimeline(bool fetch);
    // The comments of the selected status; nothing in comment mode or on an
    // entry that holds no status.
    void ShowComments();
    // A context-menu command: 10001 reply, 10002 forward as SMS, 10003 export.
    void OnMenuCommand(int id);
    // The context menu for `row` (selected first); null when `row` is no
    // entry. Its actions carry their command ids as object names.
    std::unique_ptr<QMenu> CreateContextMenu(int row);

    // Runs `work` on the page's worker, the page disabled meanwhile, then
    // `then` on the GUI thread. False, and nothing runs, while a request is
    // under way.
    bool RunRequest(std::function<void()> work, std::function<void()> then);

    // ---- state, for the received page and the tests
    int Mode() const { return m_mode; }
    bool Busy() const { return m_job.Running(); }
    CMultiLineListBox* List() const;
    // The id of the status or comment behind entry `row`; none for the error
    // entry, "该微博没有评论！" and rows that are no entry.
    std::optional<qint64> EntryRecord(int row) const;
    CWeiboClient& Client() { return *m_client; }
    // Null until the first reply.
    CDlgWeiboReply* ReplyDialog() const { return m_reply; }

public slots:
    // Esc must not take the page away.
    void reject() override {}

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetBusy(bool busy);
    void ShowAuthorisation(bool waiting);
    void ClearEntries();
    void AddEntry(const QString& text, std::optional<qint64> id = std::nullopt);
    void AddErrorEntry(const QString& error);
    void FillTimeline();
    int SelectedRow() const;
    const WeiboRecord* FindRecord(const std::vector<WeiboRecord>& records, std::optional<qint64> id) const;
    void OnContextMenu(const QPoint& pos);
    void OpenReply();
    void Forward();
    void ExportStatus();

    std::unique_ptr<Ui::CDlgWeibo> m_ui;
    std::unique_ptr<CWeiboClient> m_client;
    CDlgWeiboReply* m_reply = nullptr;
    int m_mode = NotAuthorised;
    // The last timeline answer: its statuses, or its error text.
    std::vector<WeiboRecord> m_statuses;
    std::optional<QString> m_timelineError;
    // The status whose comments are shown, and the comments.
    WeiboRecord m_commentedStatus;
    std::vector<WeiboRecord> m_comments;
    // The running request's; cancelled when the page goes.
    std::shared_ptr<HttpCancel> m_cancel;
    // Last: joined before the client and the records go.
    WindowJob m_job{this};
};
