#pragma once
// A program folder with a fresh database and the stand-in as "crm.mdb",
// read through the SQLite ODBC driver.
#include "tests/support/old_db_fixture.h"
#include "tests/support/program_folder.h"

#include <QByteArray>
#include <QString>

#include <string>

class ConverterTest : public ProgramFolderTest {
protected:
    void SetUp() override;

    QString source() const { return m_folder->file(QStringLiteral("crm.mdb")); }
    // Runs the engine on g_pDB; the error text in `error`.
    bool convert(QString* error = nullptr, const QString& path = QString());
    // The rows of `sql` on g_pDB: columns joined by "|", rows by ";", NULL as "".
    std::string rows(const std::string& sql) const;
    void exec(const std::string& sql) const;
};

// The bytes of a file; empty when it cannot be read.
QByteArray FileBytes(const QString& path);
