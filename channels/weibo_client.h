#pragma once
// The client of the microblog service's REST interface: the OAuth 2
// authorisation-code flow, the user's own timeline, the comments of one
// status and replies to a comment. Answers are JSON (cJSON); text stays UTF-8
// from the answer to the record.
//
// Threads: an instance is used from one thread at a time (the microblog page
// runs its calls on a worker it owns and joins); every call blocks for the
// length of its request. The client touches no GUI object. A worker that
// wants to stop a request early puts its calls under an HttpCancelScope
// (core/http.h); a cancelled request fails like a lost connection.
//
// Addresses: the API host is [Deployment] WeiboApiUrl and the redirect
// address [Deployment] WeiboRedirectUrl of "ServerInfo.ini"
// (core/deployment.h); both default under ".invalid", so an unconfigured
// client fails with -1 before any name lookup.
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One status of the timeline, or one comment (id, text, createdAt and
// userName only). Texts are UTF-8 as the service sent them; a field missing
// from the answer or of another JSON type is empty or 0.
struct WeiboRecord {
    qint64 id = 0;          // "idstr" when present, else "id"
    QString text;           // "text"
    QString userName;       // "user"."screen_name"
    QString createdAt;      // "created_at"
    QString originalPic;    // "original_pic": address of the attached picture
    QString avatarLarge;    // "user"."avatar_large": address of the avatar
    int commentsCount = 0;  // "comments_count"
    int repostsCount = 0;   // "reposts_count"
    QString source;         // "source"
    qint64 retweetedId = 0; // "retweeted_status"."id" (its "idstr" first); 0 when absent
    QString location;       // "user"."location"
    QString description;    // "user"."description"
    int followersCount = 0; // "user"."followers_count"
    int friendsCount = 0;   // "user"."friends_count"
    int statusesCount = 0;  // "user"."statuses_count"
    QString verified;       // "user"."verified" as its JSON text: "true" or "false"
};

class CWeiboClient {
public:
    // The application's registration with the service.
    static constexpr const char* kAppKey = "5093182746";
    static constexpr const char* kAppSecret = "7c1e94b05da3f28c6e0b9a47d13f5e82";
    // An answer is cut after this many bytes; a cut answer fails to parse.
    static constexpr size_t kAnswerLimit = 0x500000;
    // A token shorter than this counts as missing (the page authorises again).
    static constexpr int kMinTokenLength = 5;

    enum class Method { Get, Post };
    struct ApiEntry {
        const char* operation;
        Method method;
        const char* path; // on the API host
    };
    // Rows of kApi.
    enum ApiRow { ApiAccessToken, ApiTokenInfo, ApiUserTimeline, ApiCommentsShow, ApiCommentsReply };
    static constexpr std::array<ApiEntry, 5> kApi{{
        {"exchange the code for a token", Method::Post, "/oauth2/access_token"},
        {"token information", Method::Post, "/oauth2/get_token_info"},
        {"the user's timeline", Method::Get, "/2/statuses/user_timeline.json"},
        {"comments of a status", Method::Get, "/2/comments/show.json"},
        {"reply to a comment", Method::Post, "/2/comments/reply.json"},
    }};

    CWeiboClient();
    ~CWeiboClient();
    CWeiboClient(const CWeiboClient&) = delete;
    CWeiboClient& operator=(const CWeiboClient&) = delete;

    // The service's authorisation page for the browser:
    // <WeiboApiUrl>/oauth2/authorize?client_id=<key>&redirect_uri=<encoded>&response_type=code
    static QString AuthorizeUrl();
    // <WeiboApiUrl> + the row's path.
    static QString ApiUrl(ApiRow row);

    // One request: GET sends url + "?" + query, POST sends the query as the
    // body; headers "Accept: */*" and "content-Type:
    // application/x-www-form-urlencoded"; no redirect is followed; the answer
    // is cut at kAnswerLimit. Returns the HTTP status (200: the last error
    // text is emptied; any other: it becomes the answer body), or -1 when no
    // answer came or it broke off (the last error text says why; `body` is
    // then empty). `body` receives the answer.
    int Request(Method method, const QString& url, const std::string& query, std::string& body);

    // Exchanges an authorisation code for a token, which the client keeps and
    // returns; none for an empty code, a failed request or an answer without
    // "access_token" text.
    std::optional<QString> GetAccessToken(const QString& code);

    // Fetches the timeline (at most 60 statuses): their number, 0 when the
    // answer holds no "statuses" (or is no JSON), -1 on failure ("access_token
    // is empty!" without a token). Entries without a usable id are left out.
    int GetUserTimeline();
    // 0 and the `index`-th status of the last timeline, or -1.
    int GetStatus(int index, WeiboRecord& out) const;
    // The statuses of the last timeline (shown again without a request).
    int StatusCount() const { return static_cast<int>(m_statuses.size()); }

    // Fetches the comments of a status: their number (0 when none), -1 on
    // failure. Remembers `statusId` (LastCommentedStatus()).
    int GetComments(qint64 statusId);
    // 0 and the `index`-th comment of the last comment list, or -1.
    int GetComment(int index, WeiboRecord& out) const;
    int CommentCount() const { return static_cast<int>(m_comments.size()); }

    // Replies `text` to comment `commentId` of status `statusId`: 0, or -1
    // with the last error text ("ERROR,回复内容为空！" for an empty text).
    int Reply(qint64 commentId, qint64 statusId, const QString& text);

    void SetAccessToken(const QString& token) { m_accessToken = token; }
    QString AccessToken() const { return m_accessToken; }
    QString LastError() const { return m_lastError; }
    qint64 LastCommentedStatus() const { return m_lastCommentedStatus; }

    // The parsing behind GetUserTimeline and GetComments, for tests: the
    // records of the array `arrayName` ("statuses" or "comments") of a JSON
    // answer; empty when the text is no JSON or has no such array.
    static std::vector<WeiboRecord> ParseRecords(std::string_view json, const char* arrayName);

private:
    int Fetch(ApiRow row, const std::string& query, const char* arrayName, std::vector<WeiboRecord>& into);

    QString m_accessToken;
    QString m_lastError;
    qint64 m_lastCommentedStatus = 0;
    // The records of the last timeline and the last comment list; replaced
    // by the next fetch of the same kind.
    std::vector<WeiboRecord> m_statuses;
    std::vector<WeiboRecord> m_comments;
};
