// The microblog page and its reply window against the loopback microblog
// peer, driven as a user would; and the page over the received messages of
// the real main window when the OEM file asks for it.
#include "gui/channels/weibo_dialog.h"

#include "core/app_globals.h"
#include "core/deployment.h"
#include "gui/main/main_window.h"
#include "gui/sms/received_record_view.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/multiline_list_box.h"
#include "platform/ini.h"
#include "platform/url_open.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"
#include "tests/support/weibo_peer.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrlQuery>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;

const QString kTimelinePath = QStringLiteral("/2/statuses/user_timeline.json");
const QString kCommentsPath = QStringLiteral("/2/comments/show.json");
const QString kReplyPath = QStringLiteral("/2/comments/reply.json");
const QString kTokenPath = QStringLiteral("/oauth2/access_token");
const QString kRedirect = QStringLiteral("https://app.example.com/cb?a=1");
const QString kToken = QStringLiteral("2.00TokenOfTheTest");

// Two statuses: Chinese with an emoji and a 16-digit id, and a plain one.
QByteArray Timeline(const QString& base) {
    return QStringLiteral(
               R"({"statuses":[)"
               R"({"id":3456789012345678,"idstr":"3456789012345678","text":"今天天气很好 😀",)"
               R"("created_at":"Tue May 14 10:00:00 +0800 2024","source":"网页","original_pic":"%1/pic/length.jpg",)"
               R"("comments_count":2,"reposts_count":1,"user":{"screen_name":"小明","avatar_large":"%1/pic/redirect",)"
               R"("location":"北京","description":"写点什么","followers_count":10,"friends_count":5,)"
               R"("statuses_count":100,"verified":true}},)"
               R"({"id":3456789012345679,"idstr":"3456789012345679","text":"第二条","user":{"screen_name":"小红"}})"
               R"(]})")
        .arg(base)
        .toUtf8();
}

const QByteArray kComments =
    QStringLiteral(R"({"comments":[)"
                   R"({"id":4000000000000001,"idstr":"4000000000000001","text":"评论一 🎉",)"
                   R"("created_at":"Tue May 14 11:00:00 +0800 2024","user":{"screen_name":"甲"}},)"
                   R"({"id":4000000000000002,"idstr":"4000000000000002","text":"评论二",)"
                   R"("created_at":"Tue May 14 12:00:00 +0800 2024","user":{"screen_name":"乙"}})"
                   R"(]})")
        .toUtf8();

const QString kStatusEntry = QStringLiteral("用户：小明 \r\n今天天气很好 😀\r\n");
const QString kSecondEntry = QStringLiteral("用户：小红 \r\n第二条\r\n");
const QStringList kTimelineEntries{kStatusEntry, kSecondEntry};
const QStringList kCommentEntries{QStringLiteral("该评论来自用户：甲 \r\n评论一 🎉\r\n"),
                                  QStringLiteral("该评论来自用户：乙 \r\n评论二\r\n")};

QString QueryValue(const QString& query, const char* key) {
    return QUrlQuery(query).queryItemValue(QString::fromLatin1(key), QUrl::FullyDecoded);
}

// A press before the double-click: the view only reports a double-click on
// the item the press hit.
void DoubleClick(QListWidget* list, int row) {
    QWidget* viewport = list->viewport();
    const QPoint pos = list->visualItemRect(list->item(row)).center();
    const QPointF global = viewport->mapToGlobal(pos);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const bool down = type != QEvent::MouseButtonRelease;
        QMouseEvent event(type, pos, global, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
}

void RightClick(QListWidget* list, int row) {
    QWidget* viewport = list->viewport();
    const QPoint pos = list->visualItemRect(list->item(row)).center();
    const QPointF global = viewport->mapToGlobal(pos);
    QMouseEvent press(QEvent::MouseButtonPress, pos, global, Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, global, Qt::RightButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(viewport, &release);
}

// The context menu's commands: id -> enabled.
std::map<int, bool> MenuCommands(CDlgWeibo& page, int row) {
    std::map<int, bool> out;
    const std::unique_ptr<QMenu> menu = page.CreateContextMenu(row);
    if (!menu)
        return out;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            out[action->objectName().toInt()] = action->isEnabled();
    return out;
}

class WeiboPageTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        g_strAccountIni = m_folder->file(QStringLiteral("SN-TEST-01.ini"));
        m_peer = std::make_unique<WeiboPeer>();
        ASSERT_TRUE(m_peer->isRunning()) << m_peer->errorString().toStdString();
        ini::WriteString(ServerIniPath(), QStringLiteral("Deployment"), QStringLiteral("WeiboApiUrl"),
                         m_peer->baseUrl());
        ini::WriteString(ServerIniPath(), QStringLiteral("Deployment"), QStringLiteral("WeiboRedirectUrl"),
                         kRedirect);
        m_previousOpener = SetUrlOpener([this](const QString& url) {
            m_opened << url;
            return true;
        });
        m_previousRunner = SetModalRunner([this](QDialog& dialog) {
            if (auto* composer = qobject_cast<CDlgSendSMS*>(&dialog))
                m_composed << composer->content();
            return int(IDCANCEL);
        });
    }
    void TearDown() override {
        m_page.reset();
        SetNextFileName(std::nullopt);
        SetModalRunner(m_previousRunner);
        SetUrlOpener(m_previousOpener);
        m_peer.reset();
        g_strAccountIni.clear();
        ServiceTest::TearDown();
    }

    void storeToken(const QString& token) {
        ini::WriteString(g_strAccountIni, QStringLiteral("WeiBo"), QStringLiteral("AccessToken"), token);
    }
    QString storedToken() const {
        return ini::ReadString(g_strAccountIni, QStringLiteral("WeiBo"), QStringLiteral("AccessToken"));
    }
    CDlgWeibo& open() {
        m_page = std::make_unique<CDlgWeibo>(nullptr);
        m_page->resize(640, 480);
        m_page->show();
        return *m_page;
    }
    // Waits for the page's request to end.
    bool idle() {
        return WaitUntil([&] { return !m_page->Busy(); }, milliseconds(TimeBoundMs(10000)));
    }
    void click(const char* id) {
        Click(*m_page, id);
        ASSERT_TRUE(idle());
    }
    QStringList entries() const {
        QStringList out;
        for (int i = 0; i < m_page->List()->count(); ++i)
            out << m_page->List()->item(i)->text();
        return out;
    }
    // A page with a token showing the timeline of the peer.
    CDlgWeibo& openTimeline() {
        storeToken(kToken);
        m_peer->setAnswer(kTimelinePath, 200, Timeline(m_peer->baseUrl()));
        m_peer->setAnswer(kCommentsPath, 200, kComments);
        open();
        click("2");
        EXPECT_EQ(entries(), kTimelineEntries);
        return *m_page;
    }
    // "path" or "path?query" of each request so far, waiting for `count`.
    QStringList requests(size_t count) {
        QStringList out;
        for (const WeiboPeerRequest& r : m_peer->requests(count))
            out << r.method + QLatin1Char(' ') + r.path;
        return out;
    }

    std::unique_ptr<WeiboPeer> m_peer;
    std::unique_ptr<CDlgWeibo> m_page;
    QStringList m_opened;
    QStringList m_composed;
    UrlOpener m_previousOpener;
    ModalRunner m_previousRunner;
};

using WeiboPage = WeiboPageTest;

TEST_F(WeiboPage, StoredTokenDecidesTheStart) {
    const QString longToken = QStringLiteral("2.00") + QString(76, QLatin1Char('x'));
    const struct {
        const char* name;
        QString token;
        bool authorises;
    } cases[] = {
        {"none", QString(), true},
        {"four characters", QStringLiteral("abcd"), true},
        {"five characters", QStringLiteral("abcde"), false},
        {"eighty characters", longToken, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_opened.clear();
        storeToken(c.token);
        CDlgWeibo& page = open();
        EXPECT_EQ(page.Mode(), c.authorises ? CDlgWeibo::NotAuthorised : CDlgWeibo::TimelineShown);
        EXPECT_EQ(Child<QLineEdit>(page, "1004")->isVisible(), c.authorises);
        EXPECT_EQ(Child<QPushButton>(page, "1")->isVisible(), c.authorises);
        EXPECT_EQ(page.List()->isVisible(), !c.authorises);
        EXPECT_EQ(page.List()->count(), 0);
        if (!c.authorises) {
            EXPECT_TRUE(m_opened.isEmpty());
            EXPECT_EQ(page.Client().AccessToken(), c.token) << "used whole";
            continue;
        }
        EXPECT_EQ(page.focusWidget(), Child<QLineEdit>(page, "1004"));
        ASSERT_EQ(m_opened.size(), 1);
        const QUrl url(m_opened[0]);
        EXPECT_EQ(url.toString(QUrl::RemoveQuery), m_peer->url(QStringLiteral("/oauth2/authorize")));
        EXPECT_EQ(QueryValue(url.query(), "client_id"), QStringLiteral("5093182746"));
        EXPECT_EQ(QueryValue(url.query(), "redirect_uri"), kRedirect);
        EXPECT_EQ(QueryValue(url.query(), "response_type"), QStringLiteral("code"));
    }
    // No start sent anything: the first request is the refresh of the last page.
    m_peer->setAnswer(kTimelinePath, 200, Timeline(m_peer->baseUrl()));
    click("2");
    const std::vector<WeiboPeerRequest> sent = m_peer->requests(2, 300);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].path, kTimelinePath);
    EXPECT_EQ(QueryValue(sent[0].query, "access_token"), longToken);
}

TEST_F(WeiboPage, LoginStoresTheTokenAndShowsTheTimeline) {
    CDlgWeibo& page = open();
    // A refused code changes nothing.
    m_peer->setAnswer(kTokenPath, 400, R"({"error":"invalid_grant"})");
    Type(Child<QLineEdit>(page, "1004"), QStringLiteral("BADCODE"));
    click("1");
    EXPECT_EQ(page.Mode(), CDlgWeibo::NotAuthorised);
    EXPECT_TRUE(Child<QLineEdit>(page, "1004")->isVisible());
    EXPECT_TRUE(storedToken().isEmpty());

    m_peer->setAnswer(kTokenPath, 200,
                      QStringLiteral(R"({"access_token":"%1","expires_in":157679999})").arg(kToken).toUtf8());
    m_peer->setAnswer(kTimelinePath, 200, Timeline(m_peer->baseUrl()));
    Child<QLineEdit>(page, "1004")->clear();
    Type(Child<QLineEdit>(page, "1004"), QStringLiteral("GOODCODE"));
    // Enter in the code box is "登录".
    SendKey(Child<QLineEdit>(page, "1004"), Qt::Key_Return);
    // The token request, then the timeline's.
    ASSERT_TRUE(WaitUntil([&] { return !page.Busy() && page.List()->count() > 0; }));
    EXPECT_EQ(storedToken(), kToken);
    EXPECT_EQ(page.Mode(), CDlgWeibo::TimelineShown);
    EXPECT_FALSE(Child<QLineEdit>(page, "1004")->isVisible());
    EXPECT_FALSE(Child<QPushButton>(page, "1")->isVisible());
    EXPECT_TRUE(page.List()->isVisible());
    EXPECT_EQ(entries(), kTimelineEntries);
    const std::vector<WeiboPeerRequest> sent = m_peer->requests(3);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_TRUE(sent[1].body.contains("&code=GOODCODE&"));
    EXPECT_EQ(sent[2].path, kTimelinePath);
    EXPECT_EQ(QueryValue(sent[2].query, "access_token"), kToken);
}

TEST_F(WeiboPage, CommentsReturnWithoutARequestRefreshWithOne) {
    CDlgWeibo& page = openTimeline();
    DoubleClick(page.List(), 0);
    ASSERT_TRUE(idle());
    EXPECT_EQ(page.Mode(), CDlgWeibo::CommentsShown);
    EXPECT_EQ(entries(), kCommentEntries);
    EXPECT_EQ(page.EntryRecord(1), 4000000000000002LL);
    // In comment mode a double-click fetches nothing.
    DoubleClick(page.List(), 0);
    ASSERT_TRUE(idle());
    EXPECT_EQ(entries(), kCommentEntries);

    click("1003");
    EXPECT_EQ(page.Mode(), CDlgWeibo::TimelineShown);
    EXPECT_EQ(entries(), kTimelineEntries);
    EXPECT_EQ(m_peer->requests(3, 300).size(), 2u) << "no request for the second double-click or for 返回";
    click("2");
    EXPECT_EQ(entries(), kTimelineEntries);

    const std::vector<WeiboPeerRequest> sent = m_peer->requests(3);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].path, kTimelinePath);
    EXPECT_EQ(sent[1].path, kCommentsPath);
    EXPECT_EQ(QueryValue(sent[1].query, "id"), QStringLiteral("3456789012345678"));
    EXPECT_EQ(QueryValue(sent[1].query, "access_token"), kToken);
    EXPECT_EQ(sent[2].path, kTimelinePath);
}

TEST_F(WeiboPage, RightClickOnlySelectsAndOffersTheModesCommands) {
    CDlgWeibo& page = openTimeline();
    RightClick(page.List(), 1);
    EXPECT_EQ(page.List()->currentRow(), 1);
    EXPECT_EQ(page.Mode(), CDlgWeibo::TimelineShown);
    EXPECT_EQ(MenuCommands(page, 0), (std::map<int, bool>{{10002, true}, {10003, true}}));
    EXPECT_EQ(page.List()->currentRow(), 0) << "the menu's entry is selected";
    EXPECT_FALSE(page.CreateContextMenu(2)) << "no entry, no menu";

    DoubleClick(page.List(), 0);
    ASSERT_TRUE(idle());
    EXPECT_EQ(MenuCommands(page, 1), (std::map<int, bool>{{10001, true}, {10002, true}}));
    EXPECT_EQ(m_peer->requests(3, 300).size(), 2u) << "the right click fetched nothing";
}

TEST_F(WeiboPage, EntriesWithoutARecordOfferNoRecordCommand) {
    const QByteArray longError = QByteArray(R"({"error":")") + QByteArray(1500, 'e') + "\"}";
    const struct {
        const char* name;
        int timelineStatus;
        QByteArray timelineBody;
        QByteArray comments; // empty: the timeline's entry is checked
        QString entry;
        std::map<int, bool> commands;
    } cases[] = {
        {"timeline refused",
         400,
         R"({"error":"expired_token"})",
         {},
         QStringLiteral("错误信息：\r\n{\"error\":\"expired_token\"} \r\n \r\n"),
         {{10002, true}, {10003, false}}},
        {"long error cut",
         500,
         longError,
         {},
         QStringLiteral("错误信息：\r\n%1 \r\n \r\n").arg(QString::fromLatin1(longError.left(1000))),
         {{10002, true}, {10003, false}}},
        {"status without comments",
         200,
         {},
         R"({"comments":[],"total_number":0})",
         QStringLiteral("该微博没有评论！"),
         {{10001, false}, {10002, true}}},
    };
    size_t sentSoFar = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        storeToken(kToken);
        m_peer->setAnswer(kTimelinePath, c.timelineStatus,
                          c.timelineBody.isEmpty() ? Timeline(m_peer->baseUrl()) : c.timelineBody);
        m_peer->setAnswer(kCommentsPath, 200, c.comments);
        CDlgWeibo& page = open();
        click("2");
        ++sentSoFar;
        if (!c.comments.isEmpty()) {
            DoubleClick(page.List(), 0);
            ASSERT_TRUE(idle());
            ++sentSoFar;
        }
        ASSERT_EQ(entries(), QStringList{c.entry});
        EXPECT_FALSE(page.EntryRecord(0));
        EXPECT_EQ(MenuCommands(page, 0), c.commands);
        // Nothing happens on the entry: no request, the same list.
        const int mode = page.Mode();
        DoubleClick(page.List(), 0);
        page.OnMenuCommand(10001);
        page.OnMenuCommand(10003);
        ASSERT_TRUE(idle());
        EXPECT_EQ(page.Mode(), mode);
        EXPECT_EQ(entries(), QStringList{c.entry});
        EXPECT_EQ(page.ReplyDialog(), nullptr);
        EXPECT_TRUE(m_boxes->texts().isEmpty());
        EXPECT_EQ(m_peer->requests(sentSoFar + 1, 300).size(), sentSoFar);
        m_page.reset();
    }
}

TEST_F(WeiboPage, ForwardSendsTheTextAfterTheFirstLineBreak) {
    CDlgWeibo& page = openTimeline();
    page.List()->setCurrentRow(0);
    page.OnMenuCommand(10002);
    m_peer->setAnswer(kCommentsPath, 200, R"({"comments":[]})");
    DoubleClick(page.List(), 1);
    ASSERT_TRUE(idle());
    page.List()->setCurrentRow(0);
    page.OnMenuCommand(10002);
    EXPECT_EQ(m_composed, (QStringList{QStringLiteral("今天天气很好 😀\r\n"), QString()}));
}

TEST_F(WeiboPage, DelayedAnswerLeavesTheWindowResponsive) {
    storeToken(kToken);
    m_peer->setAnswer(kTimelinePath, 200, Timeline(m_peer->baseUrl()), 1500);
    CDlgWeibo& page = open();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    Click(page, "2");
    ASSERT_TRUE(page.Busy());
    for (const char* id : {"2", "1003"})
        EXPECT_FALSE(Child<QPushButton>(page, id)->isEnabled()) << id;
    EXPECT_FALSE(page.List()->isEnabled());
    ASSERT_TRUE(idle());
    EXPECT_GE(ticks, 20);
    EXPECT_TRUE(page.List()->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(page, "2")->isEnabled());
    EXPECT_EQ(entries(), kTimelineEntries);
}

TEST_F(WeiboPage, LeavingDuringARequestEndsItPromptly) {
    storeToken(kToken);
    m_peer->setAnswer(kTimelinePath, 200, Timeline(m_peer->baseUrl()), 20000);
    open();
    Click(*m_page, "2");
    ASSERT_TRUE(m_page->Busy());
    ASSERT_EQ(m_peer->requests(1).size(), 1u);
    const auto start = std::chrono::steady_clock::now();
    m_page.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// ---------------------------------------------------------------- reply

using WeiboPageReply = WeiboPageTest;

TEST_F(WeiboPageReply, EmptyIsRefusedFailureShowsTheAnswerSuccessCloses) {
    CDlgWeibo& page = openTimeline();
    DoubleClick(page.List(), 0);
    ASSERT_TRUE(idle());
    page.List()->setCurrentRow(1);
    page.OnMenuCommand(10001);
    CDlgWeiboReply* reply = page.ReplyDialog();
    ASSERT_NE(reply, nullptr);
    EXPECT_TRUE(reply->isVisible());
    EXPECT_EQ(reply->windowTitle(), QStringLiteral("微博"));
    EXPECT_EQ(Child<QPlainTextEdit>(*reply, "1005")->toPlainText(), QStringLiteral("评论二"));
    EXPECT_TRUE(Child<QPlainTextEdit>(*reply, "1005")->isReadOnly());

    Click(*reply, "1");
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("发送内容不能为空！")});
    m_boxes->clear();

    m_peer->setAnswer(kReplyPath, 403, R"({"error":"permission denied"})");
    Child<QPlainTextEdit>(*reply, "1004")->setPlainText(QStringLiteral("谢谢 a+b&c"));
    Click(*reply, "1");
    ASSERT_TRUE(idle());
    const std::vector<MessageBoxRequest> boxes = m_boxes->shown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral(R"({"error":"permission denied"})"));
    EXPECT_EQ(boxes[0].title, QStringLiteral("error"));
    EXPECT_EQ(boxes[0].type & mb::IconMask, mb::IconError);
    EXPECT_TRUE(reply->isVisible());

    m_peer->setAnswer(kReplyPath, 200, R"({"id":4000000000000009})");
    Click(*reply, "1");
    ASSERT_TRUE(idle());
    EXPECT_FALSE(reply->isVisible());
    EXPECT_EQ(m_boxes->shown().size(), 1u);

    // The same window for the next comment.
    page.List()->setCurrentRow(0);
    page.OnMenuCommand(10001);
    EXPECT_EQ(page.ReplyDialog(), reply);
    EXPECT_EQ(Child<QPlainTextEdit>(*reply, "1005")->toPlainText(), QStringLiteral("评论一 🎉"));

    const std::vector<WeiboPeerRequest> sent = m_peer->requests(4);
    ASSERT_EQ(sent.size(), 4u);
    for (size_t i : {2u, 3u}) {
        const QString body = QString::fromUtf8(sent[i].body);
        EXPECT_EQ(sent[i].path, kReplyPath);
        EXPECT_EQ(QueryValue(body, "cid"), QStringLiteral("4000000000000002"));
        EXPECT_EQ(QueryValue(body, "id"), QStringLiteral("3456789012345678"));
        EXPECT_EQ(QueryValue(body, "access_token"), kToken);
    }
}

// ---------------------------------------------------------------- export

using WeiboPageExport = WeiboPageTest;

// The texts of the XML file's elements, "PARENT/NAME=text" in document order.
QStringList XmlTexts(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("(cannot read %1)").arg(path)};
    QXmlStreamReader xml(&file);
    QStringList names;
    QStringList out;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("CSTALOG"))
                out << QStringLiteral("CSTALOG WEIBO=%1 Attribute=%2")
                           .arg(xml.attributes().value(QLatin1String("WEIBO")),
                                xml.attributes().value(QLatin1String("Attribute")));
            names << xml.name().toString();
        } else if (xml.isCharacters() && !xml.isWhitespace() && names.size() >= 2) {
            out << names[names.size() - 2] + QLatin1Char('/') + names.back() + QLatin1Char('=') +
                       xml.text().toString();
        } else if (xml.isEndElement()) {
            names.removeLast();
        }
    }
    if (xml.hasError())
        out << QStringLiteral("(error %1)").arg(xml.errorString());
    return out;
}

TEST_F(WeiboPageExport, StatusCommentsAndPicturesGoToTheChosenFile) {
    CDlgWeibo& page = openTimeline();
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("status.xml"));
    SetNextFileName(path);
    page.List()->setCurrentRow(0);
    page.OnMenuCommand(10003);
    ASSERT_TRUE(idle());
    EXPECT_TRUE(m_boxes->texts().isEmpty()) << m_boxes->texts().join('|').toStdString();
    EXPECT_EQ(LastProposedFileName(), QStringLiteral("单条微博"));

    const QStringList texts = XmlTexts(path);
    ASSERT_GE(texts.size(), 8) << texts.join('\n').toStdString();
    EXPECT_EQ(texts[0], QStringLiteral("CSTALOG WEIBO=1 Attribute=2"));
    EXPECT_EQ(texts[1], QStringLiteral("CONTENT/USERNAME=小明"));
    EXPECT_TRUE(texts.contains(QStringLiteral("CONTENT/TEXT=今天天气很好 😀")));
    EXPECT_TRUE(texts.contains(QStringLiteral("CONTENT/USERID=3456789012345678")));
    const QStringList comments = texts.filter(QRegularExpression(QStringLiteral("^COMMENT/(NAME|TEXT)=")));
    EXPECT_EQ(comments, (QStringList{"COMMENT/NAME=甲", "COMMENT/TEXT=评论一 🎉", "COMMENT/NAME=乙",
                                     "COMMENT/TEXT=评论二"}));
    // Both pictures lie in the program's picture folder, the avatar after its redirect.
    for (const char* element : {"CONTENT/HEADPIC=", "CONTENT/ATTACHEDPIC="}) {
        const QStringList found = texts.filter(QLatin1String(element));
        ASSERT_EQ(found.size(), 1) << element;
        const QString picture = found[0].mid(int(strlen(element)));
        EXPECT_TRUE(picture.startsWith(m_folder->file(QStringLiteral("WeiboPic/")))) << picture.toStdString();
        QFile file(picture);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << picture.toStdString();
        EXPECT_EQ(file.readAll(), WeiboPeer::picture());
    }
    const std::vector<WeiboPeerRequest> sent = m_peer->requests(5);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().path, kCommentsPath);
    EXPECT_EQ(QueryValue(sent.back().query, "id"), QStringLiteral("3456789012345678"));
}

TEST_F(WeiboPageExport, NoFileWithoutTheCommentsOrAChoice) {
    CDlgWeibo& page = openTimeline();
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("status.xml"));
    // A cancelled chooser writes nothing.
    SetNextFileName(QString());
    page.List()->setCurrentRow(1);
    page.OnMenuCommand(10003);
    ASSERT_TRUE(idle());
    EXPECT_TRUE(m_boxes->texts().isEmpty());
    // Comments that could not be fetched: a box, no file, no question.
    m_peer->setAnswer(kCommentsPath, 500, R"({"error":"busy"})");
    SetNextFileName(path);
    page.OnMenuCommand(10003);
    ASSERT_TRUE(idle());
    ASSERT_EQ(m_boxes->texts().size(), 1);
    EXPECT_TRUE(m_boxes->texts()[0].contains(QStringLiteral(R"({"error":"busy"})")));
    EXPECT_FALSE(QFile::exists(path));
}

// ---------------------------------------------------------------- main window

class WeiboPageMainWindow : public WeiboPageTest {
protected:
    void SetUp() override {
        WeiboPageTest::SetUp();
        ini::WriteString(g_strAccountIni, QStringLiteral("SysSetting"), QStringLiteral("Auto7"),
                         QStringLiteral("1"));
    }
    void TearDown() override {
        m_window.reset();
        ReopenMessageBoxes();
        WeiboPageTest::TearDown();
    }
    std::unique_ptr<CCorvelaneDlg> m_window;
};

TEST_F(WeiboPageMainWindow, ShowWeiboPutsThePageOverTheReceivedList) {
    storeToken(kToken);
    m_peer->setAnswer(kTimelinePath, 200, Timeline(m_peer->baseUrl()), 600);
    for (const char* showWeibo : {"0", "1"}) {
        SCOPED_TRACE(showWeibo);
        m_folder->writeFile(QStringLiteral("OEM/OemInfo.ini"),
                            QByteArray("[System]\r\nShowWeibo=") + showWeibo);
        m_window = std::make_unique<CCorvelaneDlg>(std::make_unique<QStringList>(QStringList{"AD"}));
        m_window->show();
        ASSERT_TRUE(WaitUntil([&] { return m_window->commandsReady(); }, milliseconds(TimeBoundMs(10000))));
        // The tree takes selections once the start-up timer has run.
        ASSERT_TRUE(WaitUntil([&] { return m_window->timer(1) && !m_window->timer(1)->isActive(); }));
        m_window->SelectNode(node::Received);
        auto* received = qobject_cast<CDlgMsgRecord1Received*>(m_window->currentView());
        ASSERT_NE(received, nullptr);
        EXPECT_TRUE(received->isVisible());
        if (QLatin1String(showWeibo) == QLatin1String("0")) {
            EXPECT_EQ(received->MicroblogPage(), nullptr);
            m_window.reset();
            continue;
        }
        CDlgWeibo* page = received->MicroblogPage();
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->isVisible());
        EXPECT_EQ(page->geometry(), received->rect());
        received->resize(received->width() + 40, received->height() + 30);
        EXPECT_EQ(page->geometry(), received->rect()) << "resized with the page";
        // A request says so in the status bar while it runs.
        Click(*page, "2");
        EXPECT_EQ(m_window->statusText(2), QStringLiteral("正在处理..."));
        ASSERT_TRUE(WaitUntil([&] { return !page->Busy(); }, milliseconds(TimeBoundMs(10000))));
        EXPECT_TRUE(m_window->statusText(2).isEmpty());
        EXPECT_EQ(page->List()->count(), 2);
        QPointer<CDlgWeibo> gone(page);
        m_window.reset();
        EXPECT_TRUE(gone.isNull());
    }
}

} // namespace
