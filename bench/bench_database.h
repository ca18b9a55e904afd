#pragma once
// A program folder whose database the program built itself. Every run of a
// benchmark copies that database to a file of its own, so each run starts
// from the same data, opened the same way.
#include "core/database.h"
#include "core/paths.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <stdexcept>

struct DatabaseCopies {
    QTemporaryDir dir;
    QString templatePath;
    int runs = 0;
    DatabaseCopies() {
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
        SetAppDirectory(dir.path());
        if (OpenDatabase() != 0)
            throw std::runtime_error("cannot open the database");
        CloseDatabase();
        templatePath = SystemDatabasePath();
    }
    ~DatabaseCopies() { SetAppDirectory(QString()); }

    QString freshCopy() {
        const QString path = dir.path() + QStringLiteral("/run%1.db3").arg(++runs);
        if (!QFile::copy(templatePath, path))
            throw std::runtime_error("cannot copy the database");
        return path;
    }
    static void remove(const QString& path) {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(path + QLatin1String(suffix));
    }
};
