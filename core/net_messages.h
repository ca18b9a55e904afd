#pragma once
// The ready-made net messages (网信) of the service's main web site: one page
// of "title" and "content" lines that the SMS composer offers.
#include <QString>

#include <string_view>
#include <vector>

struct NET_SMS {
    QString title;
    QString content;
};

// The most bytes of the page that are read; the rest is ignored.
constexpr int kNetMessagesMaxBytes = 10239;

// "http://<webHost>/return_wx?sn=<serial>", the serial URL-encoded (UTF-8).
QString NetMessagesUrl(const QString& webHost, const QString& serial);
// The same for the deployment's WebHost and the logged-in account.
QString NetMessagesUrl();

// Parses the page's bytes (UTF-8; a sequence cut at the end is dropped).
// Lines end at CR LF, CR or LF. From the first "title" on, lines go in pairs:
// the title line without its first 6 characters ("title" and one more), the
// content line without its first 8 ("content" and one more). A pair is taken
// while a line end follows the title line; a content line cut by the end of
// the page counts as far as it goes. Text without any line end gives nothing.
std::vector<NET_SMS> ParseNetMessages(std::string_view page);

// Fetches the page at `url` (status 200 only, at most kNetMessagesMaxBytes)
// and replaces `messages` with what it holds. No answer, another status or an
// empty page leave `messages` as they were and return false.
bool FetchNetMessages(const QString& url, std::vector<NET_SMS>& messages);
