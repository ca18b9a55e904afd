#pragma once
// The reply to one comment of a microblog status: the comment shown
// read-only, the reply typed below it. A modeless child of the microblog
// page, made once and filled again for each comment; the request runs on the
// page's worker.
#include "channels/weibo_client.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class CDlgWeiboReply;
}

// Runs `work` off the GUI thread and then `then` on it; false (nothing runs)
// while another request is under way.
using WeiboRequestRunner = std::function<bool(std::function<void()> work, std::function<void()> then)>;

class CDlgWeiboReply : public QDialog {
    Q_OBJECT
public:
    // `client` is the page's and outlives the dialog; only `runner`'s work
    // touches it.
    CDlgWeiboReply(QWidget* parent, CWeiboClient& client, WeiboRequestRunner runner);
    ~CDlgWeiboReply() override;

    // The status and the comment the reply goes to (copies); the comment's
    // text is shown.
    void SetRecords(const WeiboRecord& status, const WeiboRecord& comment);
    const WeiboRecord& Status() const { return m_status; }
    const WeiboRecord& Comment() const { return m_comment; }

    // "回复": an empty text is refused; a failure shows the service's answer,
    // success closes the dialog.
    void OnReply();
    // While the page's worker runs a request no second one may start.
    void SetBusy(bool busy);

private:
    std::unique_ptr<Ui::CDlgWeiboReply> m_ui;
    CWeiboClient& m_client;
    WeiboRequestRunner m_runner;
    WeiboRecord m_status;
    WeiboRecord m_comment;
};
