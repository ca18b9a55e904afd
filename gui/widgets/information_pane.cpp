#include "gui/widgets/information_pane.h"

#include "platform/encoding.h"
#include "platform/url_open.h"

#include <QMetaObject>

InformationPane::InformationPane(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &InformationPane::onAnchorClicked);
}

InformationPane::~InformationPane() {
    joinWorker();
}

void InformationPane::joinWorker() {
    if (m_cancel)
        m_cancel->cancel();
    if (m_worker.joinable())
        m_worker.join();
    m_cancel.reset();
}

QVariant InformationPane::loadResource(int, const QUrl&) {
    // Empty data, not an invalid QVariant: for an invalid one QTextDocument
    // reads a "file:" resource itself.
    return QVariant(QByteArray());
}

bool InformationPane::fetch(const QString& url) {
    if (m_fetching || url.isEmpty())
        return false;
    // The previous worker has handed its page over already; only its thread
    // is left to join.
    if (m_worker.joinable())
        m_worker.join();
    m_fetching = true;
    m_cancel = std::make_unique<HttpCancel>();
    HttpCancel* cancel = m_cancel.get();
    m_worker = std::thread([this, url, cancel] {
        HttpCancelScope scope(*cancel);
        QString errorText;
        std::string page;
        const int result = HttpGet(errorText, url, std::string_view(), page, kMaxPageBytes);
        if (cancel->cancelled())
            return;
        // Queued to the pane: discarded with it when the pane goes first,
        // and the destructor joins this thread before that.
        QMetaObject::invokeMethod(
            this, [this, url, result, page = std::move(page)] { onFetched(url, result, page); },
            Qt::QueuedConnection);
    });
    return true;
}

void InformationPane::onFetched(const QString& url, int result, const std::string& page) {
    m_fetching = false;
    if (result <= 0) {
        emit fetchFinished(false);
        return;
    }
    m_pageUrl = QUrl(url);
    const std::string_view whole(page);
    setHtml(enc::DecodeText(whole.substr(0, Utf8CompleteLength(whole))));
    emit fetchFinished(true);
}

void InformationPane::onAnchorClicked(const QUrl& link) {
    const QUrl url = link.isRelative() && m_pageUrl.isValid() ? m_pageUrl.resolved(link) : link;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return;
    OpenUrlExternally(url.toString(QUrl::FullyEncoded));
}
