#include "tests/support/test_helpers.h"

#include "core/sql.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

#include <algorithm>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

QStringList LogLines(const QString& log) {
    QStringList lines;
    for (const QString& line : log.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
        const qsizetype gap = line.indexOf(QStringLiteral("  "));
        lines << (gap >= 0 ? line.mid(gap + 2) : line);
    }
    return lines;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

quint16 ClosedLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    quint16 port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    ::close(fd); // never listened: connecting there is refused
    return port;
}

std::string ClosedEndpoint(const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + path;
}

std::string UpperMd5(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toUpper().toStdString();
}

std::vector<std::string> QueryRows(sqlite3* db, const std::string& sql) {
    std::vector<std::string> rows;
    SqlStatement st(db, sql);
    while (st.step() == SQLITE_ROW) {
        std::string row;
        for (int c = 0; c < st.columnCount(); ++c) {
            if (c > 0)
                row += "|";
            row += st.isNull(c) ? "<null>" : st.text(c);
        }
        rows.push_back(row);
    }
    return rows;
}

int64_t QueryScalar(sqlite3* db, const std::string& sql) {
    SqlStatement st(db, sql);
    return st.step() == SQLITE_ROW ? st.int64(0) : -1;
}

QByteArray RunSystemPython(const QString& script, const QStringList& args) {
    const QString system = QStringLiteral("/usr/bin/python3");
    QProcess python;
    python.start(QFileInfo(system).isExecutable() ? system : QStringLiteral("python3"),
                 QStringList{QStringLiteral("-c"), script} + args);
    EXPECT_TRUE(python.waitForFinished(120000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return python.readAllStandardOutput();
}

QImage PositionPicture(int width, int height, int blue) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, qRgb((x * 255) / std::max(1, width - 1), (y * 255) / std::max(1, height - 1), blue));
    return image;
}

QByteArray ReadFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
