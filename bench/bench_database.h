#pragma once
// The program folders of the benchmarks: a temporary folder with the
// database the program built itself. Benchmarks whose runs change the data
// copy that database for every run, so each run starts from the same data,
// opened the same way.
#include "core/database.h"
#include "core/paths.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <stdexcept>

// A program folder of its own, with the database the program built in it
// open as in a running program.
struct BenchFolder {
    QTemporaryDir dir;
    BenchFolder() {
        if (!dir.isValid())
            throw std::runtime_error("no temporary folder");
        SetAppDirectory(dir.path());
        if (OpenDatabase() != 0)
            throw std::runtime_error("cannot open the database");
    }
    ~BenchFolder() { SetAppDirectory(QString()); }
};

// The database closed, as the template that every run copies.
struct DatabaseCopies : BenchFolder {
    QString templatePath;
    int runs = 0;
    DatabaseCopies() {
        CloseDatabase();
        templatePath = SystemDatabasePath();
    }

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
