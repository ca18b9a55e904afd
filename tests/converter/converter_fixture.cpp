#include "tests/converter/converter_fixture.h"

#include "converter/old_db_converter.h"
#include "core/database.h"

#include <QFile>

void ConverterTest::SetUp() {
    ProgramFolderTest::SetUp();
    UseStandInDriver();
    WriteOldDatabase(source());
}

bool ConverterTest::convert(QString* error, const QString& path) {
    OldDatabaseSource from;
    if (!from.open(path.isEmpty() ? source() : path)) {
        if (error)
            *error = from.error();
        return false;
    }
    OldDatabaseConverter converter(from.reader(), g_pDB);
    const bool ok = converter.Convert();
    if (error)
        *error = converter.errorText();
    return ok;
}

std::string ConverterTest::rows(const std::string& sql) const {
    std::string out;
    char* message = nullptr;
    const int rc = sqlite3_exec(
        g_pDB, sql.c_str(),
        [](void* context, int columns, char** values, char**) {
            auto* text = static_cast<std::string*>(context);
            if (!text->empty())
                *text += ";";
            for (int i = 0; i < columns; ++i)
                *text += (i ? "|" : "") + std::string(values[i] ? values[i] : "");
            return 0;
        },
        &out, &message);
    if (rc != SQLITE_OK)
        out = "<error: " + std::string(message ? message : "") + ">";
    sqlite3_free(message);
    return out;
}

void ConverterTest::exec(const std::string& sql) const {
    char* message = nullptr;
    const int rc = sqlite3_exec(g_pDB, sql.c_str(), nullptr, nullptr, &message);
    const std::string text = message ? message : "";
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        throw std::runtime_error(text);
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
