#include "updater/brannock_engine.h"

#include "core/deployment.h"
#include "core/helpers.h"
#include "core/program_files.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "updater/companion_end.h"
#include "updater/companion_log.h"
#include "updater/companion_replace.h"
#include "updater/companion_utils.h"
#include "updater/confined_path.h"
#include "updater/exe_icon.h"
#include "updater/http_transfer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxRedirects = 5;
constexpr qint64 kMaxDescriptionSize = 1024 * 1024;

const QString kReady = QStringLiteral("准备更新");
const QString kDownloading = QStringLiteral("下载中...");
const QString kDownloadFailed = QStringLiteral("下载失败");
const QString kInstallFailed = QStringLiteral("升级失败");
const QString kSucceeded = QStringLiteral("成功");

void Log(const QString& text) {
    companion::LogWriteW(text);
}
QString Esc(const QString& text) {
    return companion::LogEscapeW(text);
}

bool EndsWithNoCase(const QString& text, const char* tail) {
    return text.endsWith(QLatin1String(tail), Qt::CaseInsensitive);
}

bool IsDigits(const QString& s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

bool Exists(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool IsRegularFile(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

// The key's server name in the ".gz" form of a description.
QString ServerNameOf(const QString& key) {
    if (EndsWithNoCase(key, ".qx"))
        return key.left(key.size() - 3) + QStringLiteral(".gz");
    // The name keeps its case: it is also the installed file's name.
    if (EndsWithNoCase(key, "dll") || EndsWithNoCase(key, "xls") || EndsWithNoCase(key, "db3"))
        return key + QStringLiteral(".gz");
    return key;
}

// A key's installed name: no ".qxf", then no ".gz", and ".qx" (the old
// executable suffix) dropped, since executables here have none.
QString InstalledNameOf(QString name) {
    if (EndsWithNoCase(name, ".qxf"))
        name.chop(4);
    if (EndsWithNoCase(name, ".gz"))
        name.chop(3);
    else if (EndsWithNoCase(name, ".qx"))
        name.chop(3);
    return name;
}

QString Slashes(QString text) {
    text.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return text;
}

} // namespace

int CompareVersionTexts(const QString& a, const QString& b) {
    const QStringList x = a.split(QLatin1Char('.'));
    const QStringList y = b.split(QLatin1Char('.'));
    const qsizetype n = std::max(x.size(), y.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (i >= x.size())
            return -1;
        if (i >= y.size())
            return 1;
        const QString& s = x[i];
        const QString& t = y[i];
        int c = 0;
        if (IsDigits(s) && IsDigits(t)) {
            QString u = s, v = t;
            while (u.size() > 1 && u.startsWith(QLatin1Char('0')))
                u.remove(0, 1);
            while (v.size() > 1 && v.startsWith(QLatin1Char('0')))
                v.remove(0, 1);
            c = u.size() != v.size() ? (u.size() < v.size() ? -1 : 1) : u.compare(v);
        } else {
            c = s.compare(t, Qt::CaseInsensitive);
        }
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    return 0;
}

CBrannockEngine::CBrannockEngine(IUpdateView& view, const QString& programFolder, bool interactive)
    : m_view(view), m_dir(programFolder), m_interactive(interactive),
      m_http(std::make_unique<CHttpTransfer>()) {}

CBrannockEngine::~CBrannockEngine() = default;

int CBrannockEngine::TransferCount() {
    return CHttpTransfer::TransferCount();
}

QString CBrannockEngine::path(const QString& relative) const {
    return m_dir + QLatin1Char('/') + relative;
}

void CBrannockEngine::setStatus(const QString& text) {
    m_status = text;
    m_view.SetStatusText(text);
}

void CBrannockEngine::setRowStatus(int row, const QString& status) {
    m_rows[static_cast<size_t>(row)].status = status;
    m_view.SetRowStatus(row, status);
}

void CBrannockEngine::writeHaveNew(const QString& value) {
    ini::WriteString(path(QLatin1String(kConfigIni)), QStringLiteral("Update"), QStringLiteral("HaveNew"),
                     value);
}

void CBrannockEngine::endDialog(int result) {
    m_endResult = result;
    m_view.EndDialog(result);
}

void CBrannockEngine::Start(const QString& updateAddress) {
    const QUrl url(updateAddress, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    m_addressUsable = url.isValid() &&
                      (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
                      !url.host().isEmpty() && !IsRefusedHost(url.host());
    if (m_addressUsable) {
        QString host = url.host(QUrl::FullyEncoded);
        if (host.contains(QLatin1Char(':'))) // an IPv6 address
            host = QLatin1Char('[') + host + QLatin1Char(']');
        m_origin = scheme + QStringLiteral("://") + host;
        if (url.port() > 0)
            m_origin += QLatin1Char(':') + QString::number(url.port());
        m_objectPath = url.path(QUrl::FullyDecoded);
        if (m_objectPath.isEmpty())
            m_objectPath = QStringLiteral("/");
    }
    moveOemFiles();
}

void CBrannockEngine::moveOemFiles() {
    const QString oem = path(QStringLiteral("OEM"));
    CreateFolderPath(oem);
    const QStringList names = QDir(m_dir).entryList({QStringLiteral("*.oem")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QString from = path(name);
        if (!IsRegularFile(from)) // a link is never moved into OEM
            continue;
        ::chmod(QFile::encodeName(from).constData(), 0644);
        MoveNoReplace(from, oem + QLatin1Char('/') + name.left(name.size() - 4));
    }
}

bool CBrannockEngine::ReadIniSection(const QString& file, IniList& list, const QString& section) {
    if (QFileInfo(file).size() > kMaxDescriptionSize)
        return false;
    for (const QString& line : ini::ReadSection(file, section)) {
        const qsizetype first = line.indexOf(QLatin1Char('='));
        INI_INFO info;
        if (first < 0) {
            info.key = line;
        } else {
            info.key = line.left(first);
            const qsizetype second = line.indexOf(QLatin1Char('='), first + 1);
            info.value = second < 0 ? line.mid(first + 1) : line.mid(first + 1, second - first - 1);
        }
        info.key = info.key.trimmed();
        info.value = info.value.trimmed();
        bool listed = false;
        for (const INI_INFO& known : list)
            listed = listed || known.key.compare(info.key, Qt::CaseInsensitive) == 0;
        if (!listed)
            list.push_back(info);
    }
    return true;
}

bool CBrannockEngine::DownLoadFile(const QString& objectPath, QString& localPath) {
    if (EndsWithNoCase(localPath, ".qxf"))
        localPath.chop(4);
    localPath = Slashes(localPath);
    const QString object = Slashes(objectPath);
    const qsizetype slash = localPath.lastIndexOf(QLatin1Char('/'));
    if (slash > 0)
        CreateFolderPath(localPath.left(slash));

    const QDateTime now = QDateTime::currentDateTime();
    const QString stamp = QStringLiteral("?a=%1%2%3%4%5")
                              .arg(now.date().month())
                              .arg(now.date().day())
                              .arg(now.time().hour())
                              .arg(now.time().minute())
                              .arg(now.time().second());
    const QByteArray encoded = QByteArray::fromStdString(UrlEncodePath(object.toUtf8().toStdString()));
    QString url = m_origin + QString::fromLatin1(encoded) + stamp;
    const QString urlLog = Esc(url);

    if (!m_addressUsable) {
        Log(QStringLiteral("ERROR,DownLoadFile,OpenRequest打开升级地址出错！URL=%1").arg(urlLog));
        setStatus(QStringLiteral("连接服务器失败！"));
        return false;
    }

    m_lastProgress = -1;
    const CHttpTransfer::Progress progress = [this](int64_t received, int64_t length) {
        if (length > 0) {
            const int percent = static_cast<int>(received * 100 / length);
            if (percent != m_lastProgress) {
                m_lastProgress = percent;
                m_view.SetProgress(percent);
            }
        }
        m_view.ProcessEvents();
        return !m_abort;
    };

    for (int hop = 0;; ++hop) {
        const TransferResult r = m_http->Get(url.toUtf8(), localPath, progress);
        const QString currentLog = Esc(url);
        switch (r.kind) {
        case TransferResult::Complete:
            return true;
        case TransferResult::NoConnection:
            setStatus(QStringLiteral("连接服务器失败！"));
            Log(QStringLiteral("ERROR,DownLoadFile,SendRequest打开升级地址出错！URL=%1").arg(currentLog));
            return false;
        case TransferResult::HttpError:
            setStatus(QStringLiteral("访问服务器失败！"));
            Log(QStringLiteral("ERROR,DownLoadFile,http服务器返回错误代码：%1！URL=%2")
                    .arg(r.status)
                    .arg(currentLog));
            return false;
        case TransferResult::Redirect: {
            Log(QStringLiteral("ERROR,DownLoadFile,HTTP重定向，代码：%1！URL=%2,new URL=%3")
                    .arg(r.status)
                    .arg(currentLog, Esc(r.headers)));
            if (r.location.isEmpty())
                return false;
            const QUrl next(r.location);
            const QString scheme = next.scheme().toLower();
            const bool downgrade = url.startsWith(QLatin1String("https:"), Qt::CaseInsensitive) &&
                                   scheme == QLatin1String("http");
            if (hop + 1 > kMaxRedirects || downgrade ||
                (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
                IsRefusedHost(next.host())) {
                Log(QStringLiteral("ERROR,DownLoadFile,重定向未跟随！URL=%1").arg(Esc(r.location)));
                return false;
            }
            url = r.location;
            continue;
        }
        case TransferResult::NoLength:
            setStatus(QStringLiteral("访问服务器失败！"));
            Log(QStringLiteral("ERROR,DownLoadFile,获取文件长度失败！URL=%1").arg(currentLog));
            return false;
        case TransferResult::TooLarge:
            setStatus(QStringLiteral("访问服务器失败！"));
            Log(QStringLiteral("ERROR,DownLoadFile,文件长度超出上限！长度=%1,URL=%2")
                    .arg(r.length)
                    .arg(currentLog));
            return false;
        case TransferResult::CreateFailed:
            setStatus(QStringLiteral("创建临时文件失败！"));
            Log(QStringLiteral("ERROR,DownLoadFile,创建本地临时文件出错！file=%1！URL=%2")
                    .arg(Esc(localPath), currentLog));
            return false;
        case TransferResult::Incomplete:
        case TransferResult::Aborted:
            // Half a file is never left to be installed.
            ::unlink(QFile::encodeName(localPath).constData());
            if (r.kind == TransferResult::Aborted)
                Log(QStringLiteral("ERROR,DownLoadFile,下载已取消！URL=%1").arg(currentLog));
            else
                Log(QStringLiteral("ERROR,DownLoadFile,下载文件不完整！总长度=%1,实际下载长度=%2,URL=%3")
                        .arg(r.length)
                        .arg(r.received)
                        .arg(currentLog));
            return false;
        }
        return false;
    }
}

void CBrannockEngine::CheckUpdate() {
    m_phase = Phase::Checking;
    m_abort = false;
    Log(QStringLiteral("连接到服务器..."));
    setStatus(QStringLiteral("正在连接到服务器..."));
    auto endCheckOnly = [this] {
        if (!m_interactive) {
            FreeLists();
            endDialog(IDOK);
        }
    };
    if (!m_addressUsable) {
        setStatus(QStringLiteral("连接到升级服务器出错！"));
        Log(QStringLiteral("ERROR,连接到服务器失败！"));
        writeHaveNew(QStringLiteral("0"));
        m_phase = Phase::Idle;
        endCheckOnly();
        return;
    }
    CreateFolderPath(path(QLatin1String(kTempFolder)));
    QString description = path(QLatin1String(kServerDescription));
    ::unlink(QFile::encodeName(description).constData());
    const bool downloaded = DownLoadFile(m_objectPath, description);
    m_phase = Phase::Idle;
    IniList local;
    bool readable = downloaded &&
                    ReadIniSection(path(QLatin1String(kLocalDescription)), local, QStringLiteral("FileVer"));
    if (readable) {
        m_localFileVer = std::move(local);
        readable = ReadIniSection(description, m_serverFileVer, QStringLiteral("FileVer")) &&
                   ReadIniSection(description, m_regFile, QStringLiteral("RegFile")) &&
                   ReadIniSection(description, m_closeFiles, QStringLiteral("CloseFiles")) &&
                   ReadIniSection(description, m_openFiles, QStringLiteral("OpenFiles")) &&
                   ReadIniSection(description, m_deleteFiles, QStringLiteral("DeleteFiles"));
    }
    if (!readable) {
        Log(QStringLiteral("ERROR,获取服务器上版本号出错！"));
        setStatus(QStringLiteral("获取服务器上版本号出错！"));
        writeHaveNew(QStringLiteral("0"));
        endCheckOnly();
        return;
    }
    if (CompareVersions()) {
        Log(QStringLiteral("检测到以上文件需要升级..."));
        writeHaveNew(QStringLiteral("1"));
        endCheckOnly();
        return;
    }
    removeTempFolder();
    setStatus(QStringLiteral("当前版本已是最新！"));
    Log(QStringLiteral("当前版本已是最新."));
    writeHaveNew(QStringLiteral("0"));
    endCheckOnly();
}

bool CBrannockEngine::CompareVersions() {
    const bool gzForm =
        !m_serverFileVer.empty() && m_serverFileVer.front().key.endsWith(QLatin1String(".gz"));
    if (gzForm)
        for (INI_INFO& local : m_localFileVer)
            local.key = ServerNameOf(local.key);
    const QString oemExe =
        ini::ReadString(path(QStringLiteral("OEM/OemInfo.ini")), QStringLiteral("CompanyInfo"),
                        QStringLiteral("defaultExeFilePath"), QString(), 100);
    bool listedAny = false;
    for (const INI_INFO& server : m_serverFileVer) {
        bool list = true;
        for (const INI_INFO& local : m_localFileVer) {
            if (server.key.compare(local.key, Qt::CaseInsensitive) != 0)
                continue;
            if (CompareVersionTexts(server.value, local.value) > 0)
                break;
            QString installed = local.key;
            if (server.key.toLower().contains(QLatin1String("corvelane")) && !oemExe.isEmpty())
                installed = oemExe;
            const QString file = ConfinedPath(m_dir, InstalledNameOf(installed));
            list = !file.isEmpty() && !Exists(file);
            if (list)
                Log(QStringLiteral("检测到缺少文件: %1 ,将自动下载...").arg(Esc(file)));
            break;
        }
        if (!list)
            continue;
        m_rows.push_back({server.key, kReady});
        m_view.AddRow(server.key, kReady);
        m_view.EnableOk(true);
        Log(Esc(server.key));
        listedAny = true;
    }
    if (!listedAny) {
        setStatus(QStringLiteral("未检测到需要更新的文件"));
        return false;
    }
    m_view.ShowFileColumns();
    setStatus(QStringLiteral("检测到以下文件需要更新："));
    return true;
}

void CBrannockEngine::endPrograms() {
    EndMainProgram(m_dir);
    const QString self = path(QLatin1String(kUpdaterExecutable));
    for (const INI_INFO& entry : m_closeFiles) {
        const QString target = ConfinedPath(m_dir, entry.key);
        if (target.isEmpty()) {
            Log(QStringLiteral("ERROR,路径不在程序目录内，忽略:%1").arg(Esc(entry.key)));
            continue;
        }
        if (target == self || FindProcessByName(target).empty())
            continue;
        Log(QStringLiteral("强制结束进程%1").arg(Esc(entry.key)));
        EndProcessesOf(target);
    }
    m_closeFiles.clear();
}

namespace {

// Where a listed file goes: its name without ".qxf", packed when it ends in
// ".gz", installed without ".gz" or the old executable suffix ".qx".
struct RowPlan {
    QString name;      // relative, "/" separated
    QString installed; // relative
    bool packed = false;
    QString target;   // absolute; empty when refused
    QString download; // absolute; empty when refused
};

RowPlan PlanRow(const QString& dir, const QString& key) {
    RowPlan plan;
    plan.name = key;
    if (EndsWithNoCase(plan.name, ".qxf"))
        plan.name.chop(4);
    plan.name = Slashes(plan.name);
    plan.installed = plan.name;
    if (EndsWithNoCase(plan.installed, ".gz")) {
        plan.installed.chop(3);
        plan.packed = true;
    } else if (EndsWithNoCase(plan.installed, ".qx")) {
        plan.installed.chop(3);
    }
    if (IsUserDataKey(plan.installed))
        return plan;
    plan.target = ConfinedPath(dir, plan.installed);
    plan.download = ConfinedPath(dir, QLatin1String(kTempFolder) + QLatin1Char('/') + plan.name);
    if (plan.target.isEmpty() || plan.download.isEmpty())
        plan.target.clear();
    return plan;
}

} // namespace

bool CBrannockEngine::installRow(int row, const QString& key) {
    const RowPlan plan = PlanRow(m_dir, key);
    const QString& installed = plan.installed;
    const QString& target = plan.target;
    const bool packed = plan.packed;
    auto failRow = [&](const QString& shown) {
        setRowStatus(row, kInstallFailed);
        Log(QStringLiteral("ERROR,替换失败:%1").arg(Esc(shown)));
        return true; // the loop goes on
    };
    if (target.isEmpty())
        return true; // refused before the loop

    // 1-2: download.
    const QString object =
        m_objectPath.left(m_objectPath.lastIndexOf(QLatin1Char('/'))) + QLatin1Char('/') + key;
    QString d = plan.download;
    m_view.SetProgress(0);
    setRowStatus(row, kDownloading);
    if (!DownLoadFile(object, d)) {
        Log(QStringLiteral("ERROR,下载失败:%1").arg(Esc(object)));
        setRowStatus(row, kDownloadFailed);
        return false; // the loop ends
    }

    const bool self = target == path(QLatin1String(kUpdaterExecutable));
    if (self)
        m_tempRemovable = false;
    const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
    CreateFolderPath(target.left(slash));

    // Backup: an existing file whose copy fails is not replaced.
    bool ok = true;
    if (Exists(target)) {
        const QString backup = m_backupFolder + QLatin1Char('/') + installed;
        CreateFolderPath(backup.left(backup.lastIndexOf(QLatin1Char('/'))));
        ok = CopyFileContents(target, backup);
    }
    const QString finalPath = self ? path(QLatin1String(kWaitingUpdater)) : target;
    if (ok && !self)
        Log(QStringLiteral("删除原来的文件:%1").arg(Esc(target)));
    bool placed = false; // this run put a file at finalPath
    if (ok) {
        if (packed) {
            ok = ReplaceFileWith(finalPath, [&](const QString& tmp) { return UnGzipFile(tmp, d); });
        } else if (d == finalPath) {
            ok = IsRegularFile(d); // the new updater already lies in place
        } else {
            ok = ReplaceFileWith(finalPath, [&](const QString& tmp) { return CopyFileContents(d, tmp); });
        }
        placed = ok;
        if (ok && self)
            ok = ::chmod(QFile::encodeName(finalPath).constData(), 0755) == 0;
    }
    if (ok) {
        if (target == path(QLatin1String(kMainExecutable)))
            m_mainReplaced = true;
        Log(QStringLiteral("升级成功:%1").arg(Esc(finalPath)));
        setRowStatus(row, kSucceeded);
        return true;
    }
    // A new updater that cannot run is not left waiting; one that an earlier
    // run left (when this one failed before placing its own) stays.
    if (self && placed)
        ::unlink(QFile::encodeName(finalPath).constData());
    const QString upper = installed.toUpper();
    if (upper.startsWith(QLatin1String("MFC")) || upper.startsWith(QLatin1String("MSVC"))) {
        Log(QStringLiteral("忽略替换失败的VC运行库:%1").arg(Esc(finalPath)));
        setRowStatus(row, kSucceeded);
        return true;
    }
    return failRow(finalPath);
}

void CBrannockEngine::DoUpdate() {
    m_view.EnableOk(false);
    if (ShowMessageBox(QStringLiteral("强行关闭程序以进行升级吗？强烈建议手动关闭！"),
                       mb::YesNo | mb::IconQuestion, QStringLiteral("升级提示")) != IDYES) {
        m_view.EnableOk(true);
        return;
    }
    m_phase = Phase::Updating;
    m_abort = false;
    QString exe = ini::ReadString(path(QStringLiteral("OEM/OemInfo.ini")), QStringLiteral("CompanyInfo"),
                                  QStringLiteral("defaultExeFilePath"), QString(), 100);
    if (exe.isEmpty())
        exe = QLatin1String(kMainExecutable);
    m_closeFiles.push_back({exe, QString()});
    m_openFiles.push_back({exe, QString()});
    endPrograms();
    m_view.SetBusy(true);

    if (!m_rows.empty()) {
        m_backupFolder = path(QStringLiteral("UpdateBak/") + GetTimeString(std::time(nullptr)));
        CreateFolderPath(m_backupFolder);
        CopyFileContents(path(QLatin1String(kLocalDescription)),
                         m_backupFolder + QStringLiteral("/Update.dat"));
        Log(QStringLiteral("建立备份文件夹："));
        Log(Esc(m_backupFolder));
    }
    // A row that names a place outside the folder, or the user's data, fails
    // before anything is downloaded; the update can then not be full.
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (PlanRow(m_dir, m_rows[i].name).target.isEmpty()) {
            setRowStatus(static_cast<int>(i), kInstallFailed);
            Log(QStringLiteral("ERROR,替换失败:%1").arg(Esc(m_dir + QLatin1Char('/') + m_rows[i].name)));
        }
    }
    int succeeded = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].status == kInstallFailed)
            continue;
        const bool goOn = installRow(static_cast<int>(i), m_rows[i].name);
        if (m_rows[i].status == kSucceeded)
            ++succeeded;
        if (!goOn)
            break;
    }
    registerFiles();
    m_localFileVer.clear();
    m_serverFileVer.clear();
    m_regFile.clear();
    if (succeeded == static_cast<int>(m_rows.size()))
        finishFullUpdate();
    m_view.SetBusy(false);
    m_phase = Phase::Idle;
}

void CBrannockEngine::registerFiles() {
    for (const INI_INFO& entry : m_regFile) {
        const QString file = ConfinedPath(m_dir, entry.key);
        if (file.isEmpty()) {
            Log(QStringLiteral("ERROR,路径不在程序目录内，忽略:%1").arg(Esc(entry.key)));
            continue;
        }
        if (!RegisterComDll(file)) {
            Log(QStringLiteral("ERROR,注册组件失败:%1").arg(Esc(file)));
            ShowMessageBox(QStringLiteral("注册组件失败: ") + file, mb::IconError, QStringLiteral("错误"));
        }
    }
}

void CBrannockEngine::DeleteObsoleteFiles() {
    for (const INI_INFO& entry : m_deleteFiles) {
        const QString file = ConfinedPath(m_dir, entry.key);
        if (file.isEmpty() || IsUserDataKey(entry.key)) {
            Log(QStringLiteral("ERROR,路径不在程序目录内，忽略:%1").arg(Esc(entry.key)));
            continue;
        }
        if (!Exists(file))
            continue;
        // Kept in the run's backup folder first, like every replaced file.
        if (!m_backupFolder.isEmpty() && IsRegularFile(file)) {
            const QString backup = m_backupFolder + QLatin1Char('/') + Slashes(entry.key);
            CreateFolderPath(backup.left(backup.lastIndexOf(QLatin1Char('/'))));
            if (!CopyFileContents(file, backup)) {
                Log(QStringLiteral("ERROR,备份失败，未删除:%1").arg(Esc(file)));
                continue;
            }
        }
        // Files only, as ever: a folder is left alone.
        if (!IsRegularFile(file) || ::unlink(QFile::encodeName(file).constData()) != 0) {
            Log(QStringLiteral("ERROR,删除失败:%1").arg(Esc(file)));
            continue;
        }
        Log(QStringLiteral("处理新版本需要删除的文件:%1").arg(Esc(file)));
    }
}

void CBrannockEngine::removeTempFolder() {
    const QString temp = path(QLatin1String(kTempFolder));
    if (!IsRegularFile(path(QLatin1String(kWaitingUpdater)))) {
        DeleteFolder(temp);
        return;
    }
    // A new updater left by an earlier run still waits for the main program.
    const QStringList entries =
        QDir(temp).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        if (entry != QLatin1String("Brannock"))
            DeleteFolder(temp + QLatin1Char('/') + entry);
}

void CBrannockEngine::finishFullUpdate() {
    writeHaveNew(QStringLiteral("0"));
    m_fullUpdateDone = true;
    DeleteObsoleteFiles();
    const QString local = path(QLatin1String(kLocalDescription));
    const QString downloaded = path(QLatin1String(kServerDescription));
    if (IsRegularFile(downloaded) &&
        ::rename(QFile::encodeName(downloaded).constData(), QFile::encodeName(local).constData()) == 0)
        Log(QStringLiteral("替换update.dat"));
    if (m_tempRemovable) {
        Log(QStringLiteral("删除临时文件夹:%1").arg(Esc(path(QLatin1String(kTempFolder)))));
        removeTempFolder();
    }
    moveOemFiles();
    applyOem();

    Log(QStringLiteral("升级成功！修改如下:"));
    setStatus(QStringLiteral("升级成功！修改如下："));
    m_view.SetCancelCaption(QStringLiteral("完成"));
    IniList changes;
    ReadIniSection(local, changes, QStringLiteral("NewEdit"));
    m_changeList = QStringList{QString()};
    for (const INI_INFO& change : changes) {
        m_changeList << change.key;
        Log(Esc(change.key));
    }
    m_view.ShowChangeList(m_changeList);
}

void CBrannockEngine::applyOem() {
    const QString oemIni = path(QStringLiteral("OEM/OemInfo.ini"));
    const QString shortcut = ini::ReadString(oemIni, QStringLiteral("CompanyInfo"),
                                             QStringLiteral("defaultShortcutInfo"), QString(), 100);
    const QString exe = ini::ReadString(oemIni, QStringLiteral("CompanyInfo"),
                                        QStringLiteral("defaultExeFilePath"), QString(), 100);
    if (!m_mainReplaced)
        return;
    const QString standard = path(QLatin1String(kMainExecutable));
    QString program = standard;
    if (!exe.isEmpty()) {
        const QString oemProgram = ConfinedPath(m_dir, exe);
        if (oemProgram.isEmpty() || IsUserDataKey(exe)) {
            Log(QStringLiteral("ERROR,路径不在程序目录内，忽略:%1").arg(Esc(exe)));
        } else if (oemProgram != standard) {
            const QString backup = m_backupFolder + QLatin1Char('/') + Slashes(exe);
            CreateFolderPath(backup.left(backup.lastIndexOf(QLatin1Char('/'))));
            const bool kept = !Exists(oemProgram) || CopyFileContents(oemProgram, backup);
            if (kept && ::rename(QFile::encodeName(standard).constData(),
                                 QFile::encodeName(oemProgram).constData()) == 0) {
                Log(QStringLiteral("处理主程序OEM信息.备份旧文件：%1, 改名（%2,%3）")
                        .arg(Esc(backup), Esc(standard), Esc(oemProgram)));
                program = oemProgram;
            }
        }
    }
    const QString ico = path(QStringLiteral("OEM/Logo.ico"));
    if (IsRegularFile(ico)) {
        ReplaceExeIcon(ico, program);
        MakeLogoPng(ico, path(QStringLiteral("OEM/Logo.png")));
    }
    const bool usable = !shortcut.isEmpty() && !shortcut.contains(QLatin1Char('/')) &&
                        !shortcut.contains(QLatin1Char('\\')) && shortcut != QLatin1String(".") &&
                        shortcut != QLatin1String("..") && !ConfinedPath(m_dir, shortcut).isEmpty();
    if (!usable) {
        if (!shortcut.isEmpty())
            Log(QStringLiteral("ERROR,快捷方式名称无效:%1").arg(Esc(shortcut)));
        return;
    }
    DeleteShortcut(shortcut);
    CreateShortcut(shortcut, program);
}

namespace {

QString DesktopFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

// A value for Exec: quoted, with the characters the desktop entry format
// escapes inside quotes; "%" doubled for the field codes.
QString QuotedExec(const QString& program) {
    QString quoted;
    for (QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    // The value itself is a string whose backslashes are escaped once more.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return quoted;
}

QString StringValue(QString text) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return text;
}

} // namespace

bool CBrannockEngine::DeleteShortcut(const QString& name) {
    const QString desktop = DesktopFolder();
    if (desktop.isEmpty())
        return false;
    return ::unlink(QFile::encodeName(desktop + QLatin1Char('/') + name + QStringLiteral(".desktop"))
                        .constData()) == 0;
}

bool CBrannockEngine::CreateShortcut(const QString& name, const QString& target) {
    const QString desktop = DesktopFolder();
    if (desktop.isEmpty() || !QFileInfo(desktop).isDir()) {
        Log(QStringLiteral("ERROR,创建快捷方式失败，桌面文件夹不存在:%1").arg(Esc(desktop)));
        return false;
    }
    const QString folder = target.left(target.lastIndexOf(QLatin1Char('/')));
    QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nPath=%3\n")
                        .arg(StringValue(name), QuotedExec(target), StringValue(folder));
    const QString png = path(QStringLiteral("OEM/Logo.png"));
    if (IsRegularFile(png))
        entry += QStringLiteral("Icon=%1\n").arg(StringValue(png));
    entry += QStringLiteral("Terminal=false\n");
    const QByteArray bytes = entry.toUtf8();
    const QString file = desktop + QLatin1Char('/') + name + QStringLiteral(".desktop");
    const bool ok = ReplaceFileWith(file, [&](const QString& tmp) {
        QFile f(tmp);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() &&
               f.flush();
    });
    if (!ok || ::chmod(QFile::encodeName(file).constData(), 0755) != 0) {
        Log(QStringLiteral("ERROR,创建快捷方式失败:%1").arg(Esc(file)));
        return false;
    }
    return true;
}

void CBrannockEngine::StartOpenFiles() {
    for (const INI_INFO& entry : m_openFiles) {
        const QString program = ConfinedPath(m_dir, entry.key);
        if (program.isEmpty()) {
            Log(QStringLiteral("ERROR,路径不在程序目录内，忽略:%1").arg(Esc(entry.key)));
            continue;
        }
        if (!IsRegularFile(program) || ::access(QFile::encodeName(program).constData(), X_OK) != 0)
            continue;
        QProcess::startDetached(program, {}, m_dir);
    }
}

int CBrannockEngine::OnBnClickedCancel() {
    if (m_fullUpdateDone)
        StartOpenFiles();
    FreeLists();
    const int result = m_fullUpdateDone ? IDOK : IDCANCEL;
    endDialog(result);
    return result;
}

void CBrannockEngine::FreeLists() {
    m_localFileVer.clear();
    m_serverFileVer.clear();
    m_regFile.clear();
    m_closeFiles.clear();
    m_openFiles.clear();
    m_deleteFiles.clear();
}
