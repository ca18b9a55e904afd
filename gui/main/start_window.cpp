#include "gui/main/start_window.h"

#include "core/account.h"
#include "core/app_globals.h"
#include "core/convert.h"
#include "core/database.h"
#include "core/deployment.h"
#include "core/log.h"
#include "core/net_settings.h"
#include "core/paths.h"
#include "core/start_settings.h"
#include "gui/main/app_control.h"
#include "gui/main/gui_globals.h"
#include "gui/main/login_dialog.h"
#include "service/service_state.h"
#include "service/web_service_client.h"
#include "gui/widgets/widget_helpers.h"

#include <QCloseEvent>
#include <QImageReader>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

namespace {
// The results start-up reads.
constexpr int kResultLoggedIn = 1003;
constexpr int kResultEnd = 1002;
constexpr int kTimerInterval = 10;
// Without a start picture the window keeps a plain size of its own.
constexpr int kDefaultWidth = 420;
constexpr int kDefaultHeight = 260;
} // namespace

CdlgStartWnd::CdlgStartWnd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CdlgStartWnd"));
    // A picture with no frame and no buttons.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    OnInitDialog();
}

CdlgStartWnd::~CdlgStartWnd() {
    StopVersionReport();
}

void CdlgStartWnd::StartVersionReport() {
    if (m_versionWorker.joinable())
        return;
    // Read on the GUI thread: the worker touches no global of the windows.
    const AccountFields account = g_pAccount.get();
    const char* version = ClientVersionText(g_strAppTitle);
    m_versionWorker = std::thread([this, account, version] {
        HttpCancelScope scope(m_versionCancel);
        ReportClientVersion(account, version);
    });
}

void CdlgStartWnd::StopVersionReport() {
    // At exit a report still on its way is abandoned at once, then joined.
    m_versionCancel.cancel();
    if (m_versionWorker.joinable())
        m_versionWorker.join();
}

std::unique_ptr<QStringList> CdlgStartWnd::takeLoginResult() {
    return std::move(m_loginResult);
}

void CdlgStartWnd::OnInitDialog() {
    const QString picturePath = LoadBranding();
    setWindowTitle(g_strAppTitle);
    if (!picturePath.isEmpty()) {
        QImageReader reader(picturePath);
        m_picture = reader.read();
        if (m_picture.isNull())
            LogWrite(g_logRun, "ERROR,start picture not loaded: " + LogEscape(picturePath) + "," +
                                   LogEscape(reader.errorString()));
    }
    if (!m_picture.isNull())
        setFixedSize(m_picture.size());
    else
        resize(kDefaultWidth, kDefaultHeight);
    if (const QScreen* s = screen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }

    if (LoadLogoIcon(AppPath(QStringLiteral("OEM/Logo.ico"))))
        setWindowIcon(g_hLogoIcon);
    LoadMmsMaxSize();

    LoadStoredAccount(g_pDB, g_pAccount);

    ApplyServerAddress();
    g_strServerIni = ServerIniPath();
    g_strAccountIni = AccountIniPath(GetAppDirectory(), g_pAccount.field(kAccountSerial));
    ApplyProxyFromIni();

    m_timer.setSingleShot(true);
    m_timer.setInterval(kTimerInterval);
    connect(&m_timer, &QTimer::timeout, this, &CdlgStartWnd::OnTimer);
}

void CdlgStartWnd::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The update check and the login begin once the window is up, once.
    if (!m_timerStarted) {
        m_timerStarted = true;
        m_timer.start();
    }
}

void CdlgStartWnd::OnTimer() {
    // The program may have been told to end before the first tick.
    if (!isVisible() || QuitRequested())
        return;
    raise();
    activateWindow();

    StartVersionReport();
    if (CheckForUpdate()) {
        done(kResultEnd);
        return;
    }

    CDlgModifyLogPW login(true, nullptr, this);
    if (login.exec() != kResultLoggedIn) {
        done(kResultEnd);
        return;
    }
    m_loginResult = login.takeRights();
    ReadServerAddresses(g_pDB, m_serverAddresses);
    done(kResultLoggedIn);
}

void CdlgStartWnd::paintEvent(QPaintEvent* event) {
    if (m_picture.isNull()) {
        QDialog::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_picture);
}

void CdlgStartWnd::keyPressEvent(QKeyEvent* event) {
    // Enter and Esc must not end the start window: only the login does.
    if (!SwallowEnterAndEsc(event))
        QDialog::keyPressEvent(event);
}

void CdlgStartWnd::closeEvent(QCloseEvent* event) {
    // Neither the close box nor Alt+F4 ends it.
    event->ignore();
}

int ReportClientVersion(const AccountFields& account, const char* versionText) {
    CWebServiceClient client(account[kAccountSerial], account[kAccountPassword]);
    return client.UploadClientVersion(versionText);
}

bool CheckForUpdate() {
    return StartUpdaterAtStart();
}

void ApplyServerAddress() {
    const QString address = ReadDefaultAddress();
    SetServiceUrl(address.isEmpty() ? BuiltInMainEndpoint() : UnicodeToUtf8(address));
}

void ApplyProxyFromIni() {
    const ProxyInfo proxy = ReadProxyInfo();
    if (!proxy.agency)
        return;
    SetProxySettings(UnicodeToUtf8(proxy.server).c_str(), ProxyPortNumber(proxy.port),
                     UnicodeToUtf8(proxy.userName).c_str(), UnicodeToUtf8(proxy.passwd).c_str());
}
