#pragma once
// The main window's information pane: a page of the service (its address
// from the OEM settings) shown as HTML that loads nothing on its own, neither
// local files nor anything remote. Links open in the user's browser.
#include "core/http.h"

#include <QTextBrowser>
#include <QUrl>

#include <memory>
#include <string>
#include <thread>

class InformationPane : public QTextBrowser {
    Q_OBJECT
public:
    // The most bytes of a page that are read; the rest is ignored.
    static constexpr int kMaxPageBytes = 1 << 20;

    explicit InformationPane(QWidget* parent = nullptr);
    // Stops a fetch under way and waits for its thread.
    ~InformationPane() override;

    // Fetches `url` on a worker thread and shows the page when it arrives.
    // While a fetch is under way another is not started (returns false).
    // An empty address fetches nothing.
    bool fetch(const QString& url);
    bool fetching() const { return m_fetching; }

    // Every resource a page names (pictures, style sheets) is refused with
    // empty data: the page shows its text and links only.
    QVariant loadResource(int type, const QUrl& name) override;

signals:
    // The page arrived and is shown (ok), or the fetch failed and the old
    // page stays (the failure is in the run log).
    void fetchFinished(bool ok);

private:
    void onAnchorClicked(const QUrl& url);
    void onFetched(const QString& url, int result, const std::string& page);
    void joinWorker();

    std::thread m_worker;
    std::unique_ptr<HttpCancel> m_cancel;
    bool m_fetching = false;
    QUrl m_pageUrl;
};
