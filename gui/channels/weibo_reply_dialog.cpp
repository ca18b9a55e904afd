#include "gui/channels/weibo_reply_dialog.h"

#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_weibo_reply_dialog.h"

#include <QPushButton>

namespace {

// How much of a service's answer a message box shows.
constexpr int kShownErrorChars = 1000;

} // namespace

CDlgWeiboReply::CDlgWeiboReply(QWidget* parent, CWeiboClient& client, WeiboRequestRunner runner)
    : QDialog(parent), m_ui(std::make_unique<Ui::CDlgWeiboReply>()), m_client(client),
      m_runner(std::move(runner)) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgWeiboReply::OnReply);
    connect(m_ui->cancel, &QPushButton::clicked, this, &QDialog::reject);
}

CDlgWeiboReply::~CDlgWeiboReply() = default;

void CDlgWeiboReply::SetRecords(const WeiboRecord& status, const WeiboRecord& comment) {
    m_status = status;
    m_comment = comment;
    m_ui->comment->setPlainText(comment.text);
}

void CDlgWeiboReply::SetBusy(bool busy) {
    m_ui->ok->setEnabled(!busy);
}

void CDlgWeiboReply::OnReply() {
    const QString text = m_ui->reply->toPlainText();
    if (text.isEmpty()) {
        ShowMessageBox(tr("发送内容不能为空！"));
        return;
    }
    struct Outcome {
        int result = -1;
        QString error;
    };
    auto outcome = std::make_shared<Outcome>();
    CWeiboClient* client = &m_client;
    const qint64 commentId = m_comment.id;
    const qint64 statusId = m_status.id;
    m_runner(
        [client, outcome, commentId, statusId, text] {
            outcome->result = client->Reply(commentId, statusId, text);
            outcome->error = client->LastError();
        },
        [this, outcome] {
            if (outcome->result != 0) {
                ShowMessageBox(outcome->error.left(kShownErrorChars), mb::Ok | mb::IconError,
                               QStringLiteral("error"));
                return;
            }
            // Sent: the next comment starts with an empty box.
            m_ui->reply->clear();
            accept();
        });
}
