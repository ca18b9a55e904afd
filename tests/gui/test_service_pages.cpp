// The windows of the service's web pages: the information pane (a page that
// loads nothing by itself, links to the browser), the self-service and
// administration view, the network disk, About and the disclaimer.
#include "core/account.h"
#include "core/app_globals.h"
#include "core/string_table.h"
#include "gui/main/about_dialog.h"
#include "gui/main/gui_globals.h"
#include "gui/main/net_mgt_view.h"
#include "gui/main/net_store_dialog.h"
#include "gui/main/res_book_dialog.h"
#include "gui/widgets/information_pane.h"
#include "gui/widgets/my_static.h"
#include "platform/msgbox.h"
#include "platform/url_open.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/http_server.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextDocument>
#include <QThread>

#include <gtest/gtest.h>

#include <vector>

namespace {

const QString kSerial = QStringLiteral("SN-0042");
const QString kPassword = QStringLiteral("Plain&Secret");

class ServicePages : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        m_previousOpener = SetUrlOpener([this](const QString& url) {
            m_opened.push_back(url);
            return true;
        });
        m_previousAccount = g_pAccount.get();
        AccountFields account;
        account[kAccountSerial] = kSerial;
        account[kAccountPassword] = kPassword;
        g_pAccount.set(account);
    }
    void TearDown() override {
        SetUrlOpener(m_previousOpener);
        g_pAccount.set(m_previousAccount);
        ProgramFolderTest::TearDown();
    }

    void configureHosts() {
        m_folder->writeFile(QStringLiteral("ServerInfo.ini"),
                            "[Deployment]\nSelfServiceHost=self.example.com\nWebHost=www.example.com\n");
    }

    // Fetches `url` into the pane and waits for the outcome.
    static bool FetchAndWait(InformationPane& pane, const QString& url) {
        bool finished = false;
        bool ok = false;
        auto connection = QObject::connect(&pane, &InformationPane::fetchFinished, [&](bool result) {
            finished = true;
            ok = result;
        });
        EXPECT_TRUE(pane.fetch(url));
        EXPECT_TRUE(WaitUntil([&] { return finished; }, std::chrono::milliseconds(TimeBoundMs(15000))));
        QObject::disconnect(connection);
        return ok;
    }

    std::vector<QString> m_opened;
    UrlOpener m_previousOpener;
    AccountFields m_previousAccount;
};

// ---------------------------------------------------------------- information pane

// A resource with something in it: a picture or bytes, as the document keeps them.
bool HasData(const QVariant& resource) {
    if (!resource.isValid())
        return false;
    if (resource.typeId() == QMetaType::QByteArray)
        return !resource.toByteArray().isEmpty();
    if (resource.typeId() == QMetaType::QString)
        return !resource.toString().isEmpty();
    return true; // an image, a pixmap
}

TEST_F(ServicePages, InformationPaneLoadsNothingByItself) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();

    // A real picture on disk: a plain text browser would show it.
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString picture = m_folder->file(QStringLiteral("local.png"));
    ASSERT_TRUE(image.save(picture));
    const QUrl pictureUrl = QUrl::fromLocalFile(picture);
    {
        QTextBrowser plain;
        plain.setHtml(QStringLiteral("<img src=\"%1\">").arg(pictureUrl.toString()));
        ASSERT_TRUE(HasData(plain.document()->resource(QTextDocument::ImageResource, pictureUrl)))
            << "the check below would prove nothing";
    }

    InformationPane pane;
    for (int type :
         {QTextDocument::ImageResource, QTextDocument::StyleSheetResource, QTextDocument::HtmlResource})
        EXPECT_FALSE(HasData(pane.loadResource(type, pictureUrl))) << type;
    pane.setHtml(QStringLiteral("<img src=\"%1\">").arg(pictureUrl.toString()));
    EXPECT_FALSE(HasData(pane.document()->resource(QTextDocument::ImageResource, pictureUrl)));

    // The served page names a local file, a remote picture and a style sheet.
    ASSERT_TRUE(FetchAndWait(pane, server.url(QStringLiteral("/inform"))));
    EXPECT_TRUE(pane.toPlainText().contains(QString::fromUtf8("通知 notice")))
        << pane.toPlainText().toStdString();
    pane.resize(400, 300);
    pane.show();
    QApplication::processEvents();
    QThread::msleep(300);
    QApplication::processEvents();
    const auto requests = server.requests(1);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, QStringLiteral("/inform"));
}

TEST_F(ServicePages, InformationPaneReadsAtMostOneMebibyte) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();
    InformationPane pane;
    ASSERT_TRUE(FetchAndWait(pane, server.url(QStringLiteral("/big-page")))); // 2 MiB of "a"
    EXPECT_EQ(pane.toPlainText().size(), InformationPane::kMaxPageBytes);
    EXPECT_FALSE(pane.fetching());
}

TEST_F(ServicePages, InformationPaneFailureKeepsThePageAndLogs) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();
    InformationPane pane;
    pane.setHtml(QStringLiteral("<p>before</p>"));
    const struct {
        const char* what;
        QString url;
        const char* logged;
    } cases[] = {
        {"unconfigured host", QStringLiteral("http://inform.corvelane.invalid/page"),
         "ERROR,HttpGet,host not configured"},
        {"404", server.url(QStringLiteral("/missing")), "ERROR,HttpGet,HTTP status 404"},
        {"empty page", server.url(QStringLiteral("/empty")), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(FetchAndWait(pane, c.url));
        EXPECT_EQ(pane.toPlainText(), QStringLiteral("before"));
        if (c.logged) {
            EXPECT_TRUE(runLog().contains(QLatin1String(c.logged))) << runLog().toStdString();
        }
    }
    EXPECT_FALSE(pane.fetch(QString()));
    // Only the two pages of the loopback server were asked for.
    EXPECT_EQ(server.requests(2).size(), 2u);
}

TEST_F(ServicePages, InformationPaneLinksOpenOnlyWebAddresses) {
    LoopbackHttpServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();
    InformationPane pane;
    ASSERT_TRUE(FetchAndWait(pane, server.url(QStringLiteral("/inform"))));
    const struct {
        QString link;
        QString opened; // empty: nothing opens
    } cases[] = {
        {QStringLiteral("http://127.0.0.1:9/more"), QStringLiteral("http://127.0.0.1:9/more")},
        {QStringLiteral("HTTPS://example.com/a?b=1"), QStringLiteral("https://example.com/a?b=1")},
        {QStringLiteral("/relative"), server.url(QStringLiteral("/relative"))},
        {QStringLiteral("file:///etc/passwd"), QString()},
        {QStringLiteral("javascript:alert(1)"), QString()},
        {QStringLiteral("mailto:someone@example.com"), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link.toStdString());
        m_opened.clear();
        emit pane.anchorClicked(QUrl(c.link));
        if (c.opened.isEmpty()) {
            EXPECT_TRUE(m_opened.empty());
        } else {
            ASSERT_EQ(m_opened.size(), 1u);
            EXPECT_EQ(m_opened[0], c.opened);
        }
    }
    // A link of the page, clicked for real, does not navigate the pane.
    const QString page = pane.toHtml();
    emit pane.anchorClicked(QUrl(QStringLiteral("http://127.0.0.1:9/more")));
    QApplication::processEvents();
    EXPECT_EQ(pane.toHtml(), page);
}

TEST_F(ServicePages, InformationPaneGoesWhileAFetchWaits) {
    // The pane goes while its fetch may still run: the worker is stopped and
    // joined, and its page never reaches the destroyed pane.
    LoopbackHttpServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorString().toStdString();
    auto pane = std::make_unique<InformationPane>();
    ASSERT_TRUE(pane->fetch(server.url(QStringLiteral("/big-page"))));
    EXPECT_FALSE(pane->fetch(server.url(QStringLiteral("/inform")))); // one at a time
    pane.reset();
    QApplication::processEvents();
}

// ---------------------------------------------------------------- web-site view and network disk

TEST_F(ServicePages, NetMgtNamesItsPageAndOpensItOnlyOnTheButton) {
    configureHosts();
    const QString digest = QString::fromStdString(UpperMd5(kPassword.toLocal8Bit()));
    const struct {
        qint64 code;
        QString name;
        QString url;
    } cases[] = {
        {1000006000, QString::fromUtf8("自助服务列表"),
         QStringLiteral("http://self.example.com/login.aspx?sn=SN-0042&pwd=") + digest +
             QStringLiteral("&flag=list")},
        {1000006001, QString::fromUtf8("管理后台"),
         QStringLiteral("http://www.example.com/admin/index.php/index/login.html?admin_user=SN-0042&"
                        "admin_pass=Plain%26Secret")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        m_opened.clear();
        CDlgNetMGT view;
        view.SetNodeCode(c.code);
        view.show();
        QApplication::processEvents();
        EXPECT_EQ(Child<QLabel>(view, "pageName")->text(), c.name);
        EXPECT_TRUE(m_opened.empty());
        Click(view, "openInBrowser");
        ASSERT_EQ(m_opened.size(), 1u);
        EXPECT_EQ(m_opened[0], c.url);
    }
    // Shown or not, the view never puts an address on screen or in the log.
    EXPECT_FALSE(runLog().contains(QLatin1String("admin_pass"))) << runLog().toStdString();
    EXPECT_FALSE(runLog().contains(QLatin1String("Secret")));
}

TEST_F(ServicePages, UnconfiguredHostsOpenNothingAndLogWithoutTheQuery) {
    // No ServerInfo.ini: the hosts are the ".invalid" defaults.
    CDlgNetMGT view;
    for (qint64 code : {1000006000LL, 1000006500LL}) {
        view.SetNodeCode(code);
        EXPECT_FALSE(view.OnOpenInBrowser());
    }
    CDlgNetStore store;
    store.show();
    QApplication::processEvents();
    EXPECT_FALSE(store.pageOpened());
    EXPECT_TRUE(m_opened.empty());

    const QString log = runLog();
    EXPECT_EQ(log.count(QLatin1String("ERROR,OpenServicePage,host not configured")), 3) << log.toStdString();
    EXPECT_TRUE(log.contains(QLatin1String("/admin/index.php/index/login.html\r\n")));
    for (const char* secret : {"admin_pass", "Secret", "SN-0042", "pwd="})
        EXPECT_FALSE(log.contains(QLatin1String(secret))) << secret;
}

TEST_F(ServicePages, NetStoreOpensTheDiskWhenItShows) {
    configureHosts();
    CDlgNetStore store;
    EXPECT_EQ(store.windowTitle(), QString::fromUtf8("网盘硬盘"));
    EXPECT_TRUE(m_opened.empty());
    store.show();
    QApplication::processEvents();
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_TRUE(m_opened[0].startsWith(QLatin1String("http://self.example.com/login.aspx?sn=SN-0042&pwd=")));
    EXPECT_TRUE(m_opened[0].endsWith(QLatin1String("&flag=hard")));
    EXPECT_TRUE(store.pageOpened());
    // Shown again: not opened twice.
    store.hide();
    store.show();
    QApplication::processEvents();
    EXPECT_EQ(m_opened.size(), 1u);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&store, &esc);
    EXPECT_EQ(store.result(), IDCANCEL);
}

// ---------------------------------------------------------------- About and disclaimer

struct OemTexts {
    QString title, copyright, url, phone, hotLine, nationwide;
};

class OemScope {
public:
    explicit OemScope(const OemTexts& t)
        : m_saved{g_strAppTitle,     g_strCopyright, g_strCompanyUrl,
                  g_strCompanyPhone, g_strHotLine,   g_strNationwidePhone} {
        Set(t);
    }
    ~OemScope() { Set(m_saved); }

private:
    static void Set(const OemTexts& t) {
        g_strAppTitle = t.title;
        g_strCopyright = t.copyright;
        g_strCompanyUrl = t.url;
        g_strCompanyPhone = t.phone;
        g_strHotLine = t.hotLine;
        g_strNationwidePhone = t.nationwide;
    }
    OemTexts m_saved;
};

void ClickLabel(QWidget* label) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, label->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, label->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(label, &press);
    QApplication::sendEvent(label, &release);
}

TEST_F(ServicePages, AboutShowsTheOemTextsAsPlainText) {
    const OemScope oem({QStringLiteral("<b>Reseller</b> SMS"), QString::fromUtf8("© 2026 Reseller"),
                        QStringLiteral("www.reseller.example"), QStringLiteral("Tel 010-1"),
                        QStringLiteral("Hot 400-2"), QStringLiteral("Free 800-3")});
    CDlgAbout about;
    about.SetVersion(4.61);
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("关于"));
    const struct {
        const char* id;
        QString text;
    } labels[] = {
        {"1129", g_strAppTitle},        {"1081", QStringLiteral("4.61")}, {"1043", g_strCopyright},
        {"1080", g_strCompanyUrl},      {"1130", g_strCompanyPhone},      {"1131", g_strHotLine},
        {"1132", g_strNationwidePhone},
    };
    for (const auto& l : labels) {
        SCOPED_TRACE(l.id);
        QLabel* label = Child<QLabel>(about, l.id);
        EXPECT_EQ(label->text(), l.text);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
    EXPECT_FALSE(Child<QLabel>(about, "1156")->isHidden());
    EXPECT_FALSE(Child<QLabel>(about, "1155")->isHidden());

    CMyStatic* link = Child<CMyStatic>(about, "1080");
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    about.show();
    QApplication::processEvents();
    ClickLabel(link);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0], QStringLiteral("http://www.reseller.example"));

    Click(about, "1");
    EXPECT_EQ(about.result(), IDOK);
}

TEST_F(ServicePages, AboutHidesEmptyLabelsAndKeepsTemplatesWithoutAName) {
    QStringList templates;
    {
        const OemScope none({});
        CDlgAbout about;
        for (const char* id : {"1129", "1043", "1080", "1130", "1131", "1132"})
            templates << Child<QLabel>(about, id)->text();
    }
    {
        // No copyright and no web address: their labels go, a click opens nothing.
        const OemScope oem({QStringLiteral("Reseller SMS"), QString(), QString(), QStringLiteral("Tel"),
                            QStringLiteral("Hot"), QStringLiteral("Free")});
        CDlgAbout about;
        EXPECT_TRUE(Child<QLabel>(about, "1156")->isHidden());
        EXPECT_TRUE(Child<QLabel>(about, "1155")->isHidden());
        EXPECT_FALSE(about.OnClickLink());
        EXPECT_EQ(Child<QLabel>(about, "1129")->text(), QStringLiteral("Reseller SMS"));
    }
    {
        // No product name: every other OEM text is ignored, every label stays.
        const OemScope oem({QString(), QStringLiteral("C"), QStringLiteral("www.x.example"),
                            QStringLiteral("T"), QStringLiteral("H"), QStringLiteral("N")});
        CDlgAbout about;
        QStringList shown;
        for (const char* id : {"1129", "1043", "1080", "1130", "1131", "1132"})
            shown << Child<QLabel>(about, id)->text();
        EXPECT_EQ(shown, templates);
        EXPECT_EQ(templates.first(), QString::fromUtf8("群发短信客户端"));
        EXPECT_FALSE(Child<QLabel>(about, "1156")->isHidden());
        EXPECT_FALSE(Child<QLabel>(about, "1155")->isHidden());
    }
}

TEST_F(ServicePages, AboutLinkOpensOnlyWebAddresses) {
    const struct {
        QString url;
        QString opened; // empty: nothing opens
    } cases[] = {
        {QStringLiteral("www.example.com"), QStringLiteral("http://www.example.com")},
        {QStringLiteral(" https://example.com/about "), QStringLiteral("https://example.com/about")},
        {QString(), QString()},
        {QStringLiteral("file:///etc/passwd"), QString()},
        {QStringLiteral("/usr/bin/xterm"), QString()},
        {QStringLiteral("ftp://example.com/"), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        const OemScope oem({QStringLiteral("Name"), QString(), c.url, QString(), QString(), QString()});
        m_opened.clear();
        CDlgAbout about;
        EXPECT_EQ(about.OnClickLink(), !c.opened.isEmpty());
        if (c.opened.isEmpty()) {
            EXPECT_TRUE(m_opened.empty());
        } else {
            ASSERT_EQ(m_opened.size(), 1u);
            EXPECT_EQ(m_opened[0], c.opened);
        }
    }
}

TEST_F(ServicePages, ResBookShowsItsStatementAndClosesWithCancel) {
    for (const char* how : {"escape", "close box"}) {
        SCOPED_TRACE(how);
        CDlgResBook book;
        EXPECT_EQ(book.windowTitle(), QString::fromUtf8("语音短信信息安全责任书"));
        EXPECT_FALSE(Child<QLabel>(book, "picture")->pixmap().isNull());
        EXPECT_FALSE(Child<QLabel>(book, "statement")->text().isEmpty());
        book.show();
        QApplication::processEvents();
        if (std::string(how) == "escape") {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&book, &esc);
        } else {
            book.close();
        }
        EXPECT_FALSE(book.isVisible());
        EXPECT_EQ(book.result(), IDCANCEL);
    }
}

// ---------------------------------------------------------------- English

TEST_F(ServicePages, EveryWindowSpeaksEnglish) {
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    struct ChineseAgain {
        ~ChineseAgain() { SetUiLanguage(kLangChinese); }
    } chineseAgain;
    const OemScope templates({}); // About keeps its own texts
    CDlgAbout about;
    CDlgResBook book;
    CDlgNetStore store; // shown without a configured host: the note of failure
    store.show();
    QApplication::processEvents();
    CDlgNetMGT selfService;
    CDlgNetMGT administration;
    administration.SetNodeCode(1000006001);
    const struct {
        const char* name;
        QWidget* window;
        std::vector<std::pair<const char*, QString>> texts;
    } windows[] = {
        {"about",
         &about,
         {{"1129", "Mass messaging client"}, {"1156", "Copyright:"}, {"1155", "Website:"}, {"1", "OK"}}},
        {"disclaimer", &book, {}},
        {"network disk", &store, {{"2", "Close"}, {"note", "The network disk page could not be opened."}}},
        {"self-service",
         &selfService,
         {{"pageName", "Self-service list"}, {"openInBrowser", "Open in browser"}}},
        {"administration", &administration, {{"pageName", "Administration"}}},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.name);
        for (const auto& [id, text] : w.texts) {
            QWidget* control = Child<QWidget>(*w.window, id);
            const QString shown = qobject_cast<QLabel*>(control)
                                      ? static_cast<QLabel*>(control)->text()
                                      : static_cast<QAbstractButton*>(control)->text();
            EXPECT_EQ(shown.toStdString(), text.toStdString()) << id;
        }
        for (const QString& shown : ShownTexts(*w.window))
            EXPECT_FALSE(HasChinese(shown)) << shown.toStdString();
    }
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(store.windowTitle(), QStringLiteral("Network hard disk"));
}

} // namespace
