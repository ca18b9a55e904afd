#include "channels/weibo_client.h"

#include "core/deployment.h"
#include "core/helpers.h"
#include "core/http.h"
#include "core/log.h"

#include <cjson/cJSON.h>

#include <charconv>
#include <cmath>
#include <memory>

namespace {

struct JsonDeleter {
    void operator()(cJSON* item) const { cJSON_Delete(item); }
};
using JsonTree = std::unique_ptr<cJSON, JsonDeleter>;

// The largest integer a double holds without doubt: a JSON number beyond it
// may already have been rounded to another id by the parser.
constexpr double kLargestExactId = 9007199254740991.0; // 2^53 - 1

const cJSON* Field(const cJSON* object, const char* name) {
    return cJSON_IsObject(object) ? cJSON_GetObjectItemCaseSensitive(object, name) : nullptr;
}

QString TextOf(const cJSON* object, const char* name) {
    const cJSON* item = Field(object, name);
    return cJSON_IsString(item) && item->valuestring ? QString::fromUtf8(item->valuestring) : QString();
}

int IntOf(const cJSON* object, const char* name) {
    const cJSON* item = Field(object, name);
    return cJSON_IsNumber(item) ? item->valueint : 0; // cJSON saturates valueint at the int range
}

std::optional<qint64> DecimalId(const char* text) {
    const std::string_view digits(text);
    qint64 value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty())
        return std::nullopt;
    return value;
}

// "idstr" when present, else "id" when it is an integer that survived the
// parser exactly; none otherwise.
std::optional<qint64> IdOf(const cJSON* object) {
    const cJSON* idstr = Field(object, "idstr");
    if (cJSON_IsString(idstr) && idstr->valuestring)
        return DecimalId(idstr->valuestring);
    const cJSON* id = Field(object, "id");
    if (!cJSON_IsNumber(id))
        return std::nullopt;
    const double v = id->valuedouble;
    if (!std::isfinite(v) || std::fabs(v) > kLargestExactId || std::trunc(v) != v)
        return std::nullopt;
    return static_cast<qint64>(v);
}

void LogLeftOut(const char* arrayName, int index, const char* why) {
    LogWriteString(g_logRun, QStringLiteral("ERROR,WeiboClient,%1[%2] left out: %3")
                                 .arg(QLatin1String(arrayName))
                                 .arg(index)
                                 .arg(QLatin1String(why)));
}

void FillStatus(const cJSON* status, WeiboRecord& r) {
    const cJSON* user = Field(status, "user");
    r.text = TextOf(status, "text");
    r.userName = TextOf(user, "screen_name");
    r.createdAt = TextOf(status, "created_at");
    r.originalPic = TextOf(status, "original_pic");
    r.avatarLarge = TextOf(user, "avatar_large");
    r.commentsCount = IntOf(status, "comments_count");
    r.repostsCount = IntOf(status, "reposts_count");
    r.source = TextOf(status, "source");
    if (const cJSON* retweeted = Field(status, "retweeted_status"); cJSON_IsObject(retweeted)) {
        const std::optional<qint64> id = IdOf(retweeted);
        r.retweetedId = id.value_or(0);
        if (!id)
            LogWriteString(g_logRun,
                           QStringLiteral("ERROR,WeiboClient,status %1: reposted id unusable").arg(r.id));
    }
    r.location = TextOf(user, "location");
    r.description = TextOf(user, "description");
    r.followersCount = IntOf(user, "followers_count");
    r.friendsCount = IntOf(user, "friends_count");
    r.statusesCount = IntOf(user, "statuses_count");
    const cJSON* verified = Field(user, "verified");
    if (cJSON_IsBool(verified))
        r.verified = cJSON_IsTrue(verified) ? QStringLiteral("true") : QStringLiteral("false");
}

void FillComment(const cJSON* comment, WeiboRecord& r) {
    r.text = TextOf(comment, "text");
    r.createdAt = TextOf(comment, "created_at");
    r.userName = TextOf(Field(comment, "user"), "screen_name");
}

int RecordAt(const std::vector<WeiboRecord>& records, int index, WeiboRecord& out) {
    if (index < 0 || static_cast<size_t>(index) >= records.size())
        return -1;
    out = records[static_cast<size_t>(index)];
    return 0;
}

std::string Encoded(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return UrlEncode(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

std::string Encoded(qint64 number) {
    return UrlEncode(std::to_string(number));
}

// The configured API address without a closing "/", so paths join cleanly.
QString ApiBase() {
    QString base = DeploymentValue(DeploymentKey::WeiboApiUrl);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

} // namespace

CWeiboClient::CWeiboClient() = default;
CWeiboClient::~CWeiboClient() = default;

QString CWeiboClient::AuthorizeUrl() {
    const QString redirect = DeploymentValue(DeploymentKey::WeiboRedirectUrl);
    return ApiBase() + QStringLiteral("/oauth2/authorize?client_id=%1&redirect_uri=%2&response_type=code")
                           .arg(QLatin1String(kAppKey), QString::fromStdString(Encoded(redirect)));
}

QString CWeiboClient::ApiUrl(ApiRow row) {
    return ApiBase() + QLatin1String(kApi[static_cast<size_t>(row)].path);
}

int CWeiboClient::Request(Method method, const QString& url, const std::string& query, std::string& body) {
    HttpRequestOptions options;
    options.method =
        method == Method::Post ? HttpRequestOptions::Method::Post : HttpRequestOptions::Method::Get;
    options.url = url;
    options.query = query;
    options.headers = {"Accept: */*", "content-Type: application/x-www-form-urlencoded"};
    options.maxAnswer = kAnswerLimit;
    options.followRedirects = false;
    options.logName = QStringLiteral("WeiboClient");
    HttpAnswer answer = HttpRequest(options);
    body = std::move(answer.body);
    if (answer.status < 0 || !answer.complete) {
        // An answer that broke off is no answer: its bytes are not handed on.
        body.clear();
        m_lastError = answer.errorText;
        return -1;
    }
    if (answer.status == 200)
        m_lastError.clear();
    else
        m_lastError = QString::fromUtf8(body.data(), static_cast<qsizetype>(body.size()));
    return answer.status;
}

std::optional<QString> CWeiboClient::GetAccessToken(const QString& code) {
    if (code.isEmpty())
        return std::nullopt;
    const std::string query = std::string("&client_id=") + Encoded(QLatin1String(kAppKey)) +
                              "&client_secret=" + Encoded(QLatin1String(kAppSecret)) +
                              "&code=" + Encoded(code) +
                              "&redirect_uri=" + Encoded(DeploymentValue(DeploymentKey::WeiboRedirectUrl)) +
                              "&grant_type=authorization_code";
    std::string body;
    if (Request(Method::Post, ApiUrl(ApiAccessToken), query, body) != 200)
        return std::nullopt;
    const JsonTree root(cJSON_ParseWithLength(body.data(), body.size()));
    const QString token = TextOf(root.get(), "access_token");
    if (token.isEmpty()) {
        m_lastError = QString::fromUtf8(body.data(), static_cast<qsizetype>(body.size()));
        return std::nullopt;
    }
    m_accessToken = token;
    return token;
}

std::vector<WeiboRecord> CWeiboClient::ParseRecords(std::string_view json, const char* arrayName) {
    std::vector<WeiboRecord> records;
    const JsonTree root(cJSON_ParseWithLength(json.data(), json.size()));
    if (!root) {
        LogWriteString(g_logRun,
                       QStringLiteral("ERROR,WeiboClient,the answer (%1 bytes) is no JSON").arg(json.size()));
        return records;
    }
    const cJSON* array = Field(root.get(), arrayName);
    if (!cJSON_IsArray(array))
        return records;
    const bool statuses = std::string_view(arrayName) == "statuses";
    int index = 0;
    for (const cJSON* entry = array->child; entry; entry = entry->next, ++index) {
        if (!cJSON_IsObject(entry)) {
            LogLeftOut(arrayName, index, "not an object");
            continue;
        }
        const std::optional<qint64> id = IdOf(entry);
        if (!id) {
            LogLeftOut(arrayName, index, "no exact id");
            continue;
        }
        WeiboRecord r;
        r.id = *id;
        if (statuses)
            FillStatus(entry, r);
        else
            FillComment(entry, r);
        records.push_back(std::move(r));
    }
    return records;
}

int CWeiboClient::Fetch(ApiRow row, const std::string& query, const char* arrayName,
                        std::vector<WeiboRecord>& into) {
    into.clear();
    if (m_accessToken.isEmpty()) {
        m_lastError = QStringLiteral("access_token is empty!");
        return -1;
    }
    std::string body;
    if (Request(kApi[static_cast<size_t>(row)].method, ApiUrl(row), query, body) != 200)
        return -1;
    into = ParseRecords(body, arrayName);
    return static_cast<int>(into.size());
}

int CWeiboClient::GetUserTimeline() {
    return Fetch(ApiUserTimeline, "&access_token=" + Encoded(m_accessToken) + "&count=60", "statuses",
                 m_statuses);
}

int CWeiboClient::GetStatus(int index, WeiboRecord& out) const {
    return RecordAt(m_statuses, index, out);
}

int CWeiboClient::GetComments(qint64 statusId) {
    const int count =
        Fetch(ApiCommentsShow, "&access_token=" + Encoded(m_accessToken) + "&id=" + Encoded(statusId),
              "comments", m_comments);
    if (count >= 0)
        m_lastCommentedStatus = statusId;
    return count;
}

int CWeiboClient::GetComment(int index, WeiboRecord& out) const {
    return RecordAt(m_comments, index, out);
}

int CWeiboClient::Reply(qint64 commentId, qint64 statusId, const QString& text) {
    if (text.isEmpty()) {
        m_lastError = QStringLiteral("ERROR,回复内容为空！");
        return -1;
    }
    const std::string query = "&access_token=" + Encoded(m_accessToken) + "&cid=" + Encoded(commentId) +
                              "&id=" + Encoded(statusId) + "&comment=" + Encoded(text);
    std::string body;
    return Request(Method::Post, ApiUrl(ApiCommentsReply), query, body) == 200 ? 0 : -1;
}
