#pragma once
// A loopback FTP peer for tests: pyftpdlib (tests/support/ftp_peer.py) on
// 127.0.0.1 with a port the system chooses, serving a temporary root folder
// that holds "CLIENT_DB_FTP", to the cloud copy's account (or another
// password, to see a refused login). Started by the constructor, stopped by
// the destructor. Every command it received is recorded (the password never).
#include "tests/support/python_peer.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class LoopbackFtpServer {
public:
    explicit LoopbackFtpServer(const QString& password = QStringLiteral("quillmarshden"));
    LoopbackFtpServer(const LoopbackFtpServer&) = delete;
    LoopbackFtpServer& operator=(const LoopbackFtpServer&) = delete;

    // False when the server could not start; errorString() says why.
    bool isRunning() const { return m_peer.port() != 0; }
    QString errorString() const { return m_error; }
    quint16 port() const { return m_peer.port(); }
    // "127.0.0.1:<port>", the value of [Deployment] FtpHost.
    QString hostValue() const;
    // Writes FtpHost=`value` (hostValue() when null) into the program
    // folder's ServerInfo.ini.
    void configure(const QString& value = QString()) const;

    // The served "CLIENT_DB_FTP" folder and the names in it, sorted.
    QString folder() const;
    QStringList files() const;
    QString filePath(const QString& name) const { return folder() + QLatin1Char('/') + name; }
    // Puts `content` in the folder under `name`, modified at `modified`
    // (whole seconds: MDTM tells no more).
    void put(const QString& name, const QByteArray& content, const QDateTime& modified) const;
    void setModified(const QString& name, const QDateTime& modified) const;

    // "CMD ARG" of every command received so far (after a short wait for
    // what is still under way).
    QStringList commands();

private:
    QTemporaryDir m_root;
    PythonPeer m_peer;
    QString m_error;
    QStringList m_commands;
};
