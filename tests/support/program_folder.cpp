#include "tests/support/program_folder.h"

#include "core/database.h"
#include "core/log.h"
#include "core/paths.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString TemplatePath(const QString& nameTemplate) {
    const QString name = nameTemplate.isEmpty()
                             ? QCoreApplication::applicationName() + QStringLiteral("-XXXXXX")
                             : nameTemplate;
    return QDir::tempPath() + QLatin1Char('/') + name;
}

} // namespace

ProgramFolder::ProgramFolder(const QString& nameTemplate) : m_dir(TemplatePath(nameTemplate)) {
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary program folder");
    SetAppDirectory(m_dir.path());
}

ProgramFolder::~ProgramFolder() { SetAppDirectory(QString()); }

void ProgramFolder::writeFile(const QString& relative, const QByteArray& content) const {
    const QString path = file(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray ProgramFolder::readFile(const QString& relative) const {
    QFile f(file(relative));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void ProgramFolderTest::SetUp() {
    m_folder = std::make_unique<ProgramFolder>();
    g_logRun.daily = 1;
    ASSERT_TRUE(LogOpen(g_logRun, "run.txt", 1));
    ASSERT_EQ(OpenDatabase(), 0);
}

void ProgramFolderTest::TearDown() {
    CloseDatabase();
    LogClose(g_logRun);
    m_folder.reset();
}

QString ProgramFolderTest::runLog() const {
    const QString name = QStringLiteral("enc/run.txt_%1.enc").arg(QString::fromStdString(g_logRun.date));
    return QString::fromUtf8(m_folder->readFile(name));
}
