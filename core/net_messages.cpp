#include "core/net_messages.h"

#include "core/account.h"
#include "core/deployment.h"
#include "core/helpers.h"
#include "core/http.h"

#include <string>

QString NetMessagesUrl(const QString& webHost, const QString& serial) {
    const QByteArray bytes = serial.toUtf8();
    return QStringLiteral("http://%1/return_wx?sn=%2")
        .arg(webHost, QString::fromLatin1(UrlEncode(bytes.constData(), static_cast<size_t>(bytes.size()))));
}

QString NetMessagesUrl() {
    return NetMessagesUrl(DeploymentValue(DeploymentKey::WebHost), g_pAccount.field(kAccountSerial));
}

namespace {

// The position of the next line end at or after `from` (-1 when none) and
// the length of that end (1 for CR or LF, 2 for CR LF).
qsizetype FindLineEnd(const QString& text, qsizetype from, qsizetype& endLength) {
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            endLength = i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n') ? 2 : 1;
            return i;
        }
        if (c == QLatin1Char('\n')) {
            endLength = 1;
            return i;
        }
    }
    endLength = 0;
    return -1;
}

} // namespace

std::vector<NET_SMS> ParseNetMessages(std::string_view page) {
    page = page.substr(0, Utf8CompleteLength(page));
    QString text = QString::fromUtf8(page.data(), static_cast<qsizetype>(page.size()));
    const qsizetype start = text.indexOf(QLatin1String("title"));
    if (start > 0)
        text = text.mid(start);

    std::vector<NET_SMS> messages;
    qsizetype pos = 0;
    qsizetype endLength = 0;
    for (qsizetype titleEnd = FindLineEnd(text, pos, endLength); titleEnd >= 0;
         titleEnd = FindLineEnd(text, pos, endLength)) {
        NET_SMS message;
        message.title = text.mid(pos, titleEnd - pos).mid(6);
        pos = titleEnd + endLength;
        qsizetype contentEnd = FindLineEnd(text, pos, endLength);
        if (contentEnd < 0) {
            contentEnd = text.size();
            endLength = 0;
        }
        message.content = text.mid(pos, contentEnd - pos).mid(8);
        pos = contentEnd + endLength;
        messages.push_back(std::move(message));
    }
    return messages;
}

bool FetchNetMessages(const QString& url, std::vector<NET_SMS>& messages) {
    // The query goes separately, so failure lines in the log name the page
    // without the account's serial number.
    const qsizetype mark = url.indexOf(QLatin1Char('?'));
    const QString page = mark < 0 ? url : url.left(mark);
    const std::string query = mark < 0 ? std::string() : url.mid(mark + 1).toStdString();
    QString errorText;
    std::string answer;
    if (HttpGet(errorText, page, query, answer, kNetMessagesMaxBytes) <= 0 || !errorText.isEmpty())
        return false;
    messages = ParseNetMessages(answer);
    return true;
}
