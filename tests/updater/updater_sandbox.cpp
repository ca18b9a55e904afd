#include "tests/updater/updater_sandbox.h"

#include "core/paths.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "tests/support/msgbox_recorder.h"
#include "updater/companion_log.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <zlib.h>

namespace {
const char* const kEnvNames[] = {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "no_proxy", "NO_PROXY"};
const QByteArray kSentinel = "outside: never to change";
const QByteArray kDatabase = "SQLite format 3 (the user's data)";
} // namespace

void RecordingView::ProcessEvents() {
    ++pumps;
    if (pumps == abortAtPump && engine)
        engine->RequestAbort();
}

void UpdaterSandbox::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    for (const char* name : kEnvNames)
        m_savedEnv[QString::fromLatin1(name)] = qgetenv(name);
    QDir(root()).mkpath(QStringLiteral("home/.config"));
    QDir(root()).mkpath(QStringLiteral("home/Desktop"));
    QDir(root()).mkpath(QStringLiteral("run"));
    ::chmod(QFile::encodeName(root() + QStringLiteral("/run")).constData(), 0700);
    qputenv("HOME", QFile::encodeName(root() + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root() + QStringLiteral("/home/.config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root() + QStringLiteral("/run")));
    qputenv("no_proxy", "127.0.0.1");
    qputenv("NO_PROXY", "127.0.0.1");
    QDir(root()).mkpath(QStringLiteral("prog"));
    m_srv = root() + QStringLiteral("/srv");
    QDir().mkpath(m_srv + QStringLiteral("/upd"));
    Write(outside(QStringLiteral("sentinel.txt")), kSentinel);
    Write(prog(QStringLiteral("DB/SystemData.db3")), kDatabase);
    SetAppDirectory(prog());
    companion::LogOpen(QStringLiteral("update"), true);
}

void UpdaterSandbox::TearDown() {
    companion::LogClose();
    m_server.reset();
    SetAppDirectory(QString());
    for (const auto& [name, value] : m_savedEnv) {
        if (value.isNull())
            qunsetenv(name.toLatin1().constData());
        else
            qputenv(name.toLatin1().constData(), value);
    }
}

QString UpdaterSandbox::prog(const QString& relative) const {
    return relative.isEmpty() ? root() + QStringLiteral("/prog")
                              : root() + QStringLiteral("/prog/") + relative;
}

QString UpdaterSandbox::outside(const QString& relative) const {
    return relative.isEmpty() ? root() + QStringLiteral("/outside")
                              : root() + QStringLiteral("/outside/") + relative;
}

void UpdaterSandbox::Write(const QString& path, const QByteArray& content, int mode) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(content);
    f.close();
    ::chmod(QFile::encodeName(path).constData(), static_cast<mode_t>(mode));
}

QByteArray UpdaterSandbox::Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int UpdaterSandbox::ModeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

QByteArray UpdaterSandbox::Gzip(const QByteArray& content) {
    QTemporaryDir dir;
    const QByteArray file = QFile::encodeName(dir.filePath(QStringLiteral("x.gz")));
    gzFile gz = gzopen(file.constData(), "wb");
    if (!content.isEmpty())
        gzwrite(gz, content.constData(), static_cast<unsigned>(content.size()));
    gzclose(gz);
    return Read(QFile::decodeName(file));
}

LoopbackHttpServer& UpdaterSandbox::server() {
    if (!m_server) {
        m_server = std::make_unique<LoopbackHttpServer>(LoopbackHttpServer::Scheme::Http, m_srv);
        EXPECT_TRUE(m_server->isRunning()) << m_server->errorString().toStdString();
    }
    return *m_server;
}

QString UpdaterSandbox::descriptionUrl() const {
    return const_cast<UpdaterSandbox*>(this)->server().url(QStringLiteral("/upd/update.dat"));
}

QString UpdaterSandbox::haveNew() const {
    return ini::ReadString(prog(QStringLiteral("CsqxConfig.ini")), QStringLiteral("Update"),
                           QStringLiteral("HaveNew"), QStringLiteral("<none>"));
}

QString UpdaterSandbox::dayLog() const {
    QByteArray bytes =
        Read(prog(QStringLiteral("enc/update_%1.enc").arg(QDate::currentDate().toString(Qt::ISODate))));
    for (char& c : bytes)
        c = static_cast<char>(c ^ 0x5C);
    return enc::FromGbk(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

UpdaterSandbox::Run UpdaterSandbox::runUpdate(bool install, bool close) {
    MessageBoxRecorder boxes;
    RecordingView view;
    CBrannockEngine engine(view, prog(), true);
    view.engine = &engine;
    engine.Start(descriptionUrl());
    engine.CheckUpdate();
    if (install && !engine.rows().empty())
        engine.DoUpdate();
    Run run;
    run.rows = engine.rows();
    run.fullUpdate = engine.fullUpdateDone();
    run.changeList = engine.changeList();
    run.backupFolder = engine.backupFolder();
    run.boxes = boxes.texts();
    if (close)
        run.endResult = engine.OnBnClickedCancel();
    return run;
}

void UpdaterSandbox::expectUntouched() const {
    EXPECT_EQ(Read(outside(QStringLiteral("sentinel.txt"))), kSentinel);
    EXPECT_EQ(ModeOf(outside(QStringLiteral("sentinel.txt"))), 0644);
    EXPECT_EQ(Read(prog(QStringLiteral("DB/SystemData.db3"))), kDatabase);
    const QStringList outsideEntries =
        QDir(outside()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    EXPECT_TRUE(outsideEntries.contains(QStringLiteral("sentinel.txt")));
}
