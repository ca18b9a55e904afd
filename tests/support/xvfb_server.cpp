#include "tests/support/xvfb_server.h"

#include "tests/support/test_helpers.h"

#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

bool XvfbServer::Available() {
    return !QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty();
}

XvfbServer::XvfbServer() {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        return;
    // A server that announced its display but takes no client is started
    // once more, on whatever display is free then.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (Start(xvfb) && Accepts())
            return;
        Stop();
        m_display.clear();
    }
}

bool XvfbServer::Start(const QString& xvfb) {
    // Xvfb picks a free display and writes its number to our pipe. Without
    // -noreset the server resets whenever its last client leaves (each
    // xdotool call is one), and a program connecting at that moment is
    // refused.
    m_process.setProgram(xvfb);
    m_process.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                            QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                            QStringLiteral("tcp"), QStringLiteral("-noreset")});
    m_process.start();
    if (!m_process.waitForStarted(5000))
        return false;
    for (int i = 0; i < 100 && !m_process.canReadLine(); ++i)
        m_process.waitForReadyRead(100);
    const QByteArray line = m_process.readLine().trimmed();
    if (!line.isEmpty())
        m_display = QStringLiteral(":") + QString::fromLatin1(line);
    return !m_display.isEmpty();
}

// True once a client can connect (xdotool exits 0 only after it did).
bool XvfbServer::Accepts() const {
    for (int i = 0; i < 20; ++i) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("xdotool"), {QStringLiteral("getdisplaygeometry")});
        if (p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return true;
        if (m_process.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(100);
    }
    return false;
}

void XvfbServer::Stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

XvfbServer::~XvfbServer() {
    Stop();
}

QString XvfbServer::xdotool(const QStringList& arguments) const {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xdotool"), arguments);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString XvfbServer::windowNamed(const QString& name) const {
    // xdotool's own name search cannot match UTF-8 titles.
    const QStringList ids = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--name"), QStringLiteral(".")})
                                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& id : ids)
        if (xdotool({QStringLiteral("getwindowname"), id}).contains(name))
            return id;
    return QString();
}

void XvfbServer::key(const QString& key, const QString& window) const {
    if (!window.isEmpty()) {
        const QString id = windowNamed(window);
        if (!id.isEmpty()) {
            xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
            xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
        }
    }
    xdotool({QStringLiteral("key"), key});
}

void XvfbServer::type(const QString& text) const {
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), text});
}

void XvfbServer::click(const QString& window, int x, int y, int button) const {
    const QString id = windowNamed(window);
    if (id.isEmpty())
        return;
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id, QString::number(x),
             QString::number(y)});
    xdotool({QStringLiteral("click"), QString::number(button)});
}

bool XvfbServer::pressUntil(const QString& key, const QString& window,
                            const std::function<bool()>& done) const {
    for (int attempt = 0; attempt < 4; ++attempt) {
        this->key(key, window);
        if (WaitUntil(done, std::chrono::milliseconds(TimeBoundMs(3000))))
            return true;
    }
    return false;
}
