#include "core/companions.h"

#include "core/convert.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/program_files.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

ChmodFunction g_chmod = &::chmod;

bool StartCompanion(const char* executable, const QStringList& arguments) {
    const QString program = AppPath(QString::fromLatin1(executable));
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable()) {
        LogWrite(g_logRun,
                 "ERROR,start " + std::string(executable) + ",not an executable file: " + LogEscape(program));
        return false;
    }
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, GetAppDirectory(), &pid)) {
        LogWrite(g_logRun, "ERROR,start " + std::string(executable) + ",the process did not start");
        return false;
    }
    LogWrite(g_logRun, "INFO,started " + std::string(executable) + ",pid=" + std::to_string(pid));
    return true;
}

} // namespace

void MoveWaitingUpdater() {
    const QByteArray waiting = QFile::encodeName(AppPath(QString::fromLatin1(kWaitingUpdater)));
    const QByteArray updater = QFile::encodeName(AppPath(QString::fromLatin1(kUpdaterExecutable)));
    struct stat newStat {};
    if (::stat(waiting.constData(), &newStat) != 0)
        return;
    struct stat oldStat {};
    const bool hadOld = ::stat(updater.constData(), &oldStat) == 0;
    if (::rename(waiting.constData(), updater.constData()) != 0) {
        LogWrite(g_logRun, std::string("ERROR,move temp/Brannock,") + std::strerror(errno));
        return;
    }
    // The new copy takes the old updater's mode (it must stay executable);
    // one that cannot be made executable would fail at its next start.
    const mode_t mode = hadOld ? (oldStat.st_mode & 07777) : 0755;
    if (g_chmod(updater.constData(), mode) != 0)
        LogWrite(g_logRun, std::string("ERROR,chmod Brannock,") + std::strerror(errno) +
                               ",mode=" + QString::number(mode, 8).toStdString());
}

ChmodFunction SetChmodForTests(ChmodFunction function) {
    const ChmodFunction previous = g_chmod;
    g_chmod = function ? function : &::chmod;
    return previous;
}

bool StartUpdater(const QString& updateAddress, bool silentCheck) {
    QStringList arguments{updateAddress};
    if (silentCheck)
        arguments << QStringLiteral("/hide");
    return StartCompanion(kUpdaterExecutable, arguments);
}

bool StartConverter(bool automatic) {
    return StartCompanion(kConverterExecutable, automatic ? QStringList{QStringLiteral("/auto")} : QStringList{});
}
