#pragma once
// Moves an older client's database into the system database: phrases,
// contact groups, user-defined fields, contacts, the service account and the
// sent and received records, in one transaction that lands whole or not at
// all. No window: progress, titles and the abort request go through the
// callbacks and the flag given, so the engine runs on any thread.
#include "core/odbc_reader.h"

#include <QString>
#include <sqlite3.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTemporaryDir;

// The open source, through a symbolic link when its path holds a character
// the connect string cannot carry.
class OldDatabaseSource {
public:
    OldDatabaseSource();
    ~OldDatabaseSource();
    // Opens `path` with OldDatabaseConnectTemplate(); false with error().
    bool open(const QString& path);
    OdbcReader& reader() { return m_reader; }
    QString error() const { return m_error; }
    void close();

private:
    OdbcReader m_reader;
    std::unique_ptr<QTemporaryDir> m_linkFolder;
    QString m_error;
};

// "1", "-1", "true", "yes" (any case) or another non-zero number: true.
bool OldFlagIsSet(const std::string& value);

struct ConverterCallbacks {
    std::function<void(int maximum)> setRange; // the progress bar's range 0..maximum
    std::function<void()> step;                // one step further
    std::function<void(const QString&)> setTitle;
};

class OldDatabaseConverter {
public:
    OldDatabaseConverter(OdbcReader& source, sqlite3* target, ConverterCallbacks callbacks = {},
                         const std::atomic<bool>* abort = nullptr);

    // The three stages in one transaction. True when committed; otherwise
    // everything is rolled back and errorText() says what failed (empty
    // after an abort).
    bool Convert();
    QString errorText() const { return m_errorText; }
    bool aborted() const { return m_aborted; }

    // The stages; each false only when one of its source queries cannot run
    // (or on an abort). Row failures are logged and passed over.
    bool ConvertPhrases();
    bool ConvertContacts();
    bool ConvertSendRecords();

private:
    bool abortRequested();
    void step();
    int64_t targetMax(const char* sql);

    OdbcReader& m_source;
    sqlite3* m_db;
    ConverterCallbacks m_callbacks;
    const std::atomic<bool>* m_abort;
    bool m_aborted = false;
    QString m_errorText;
    int64_t m_nextReceivedId = 1;
    int64_t m_baseGroupId = 0;
};

// Every query the converter sends to the old database (a monthly table
// stands for all: "tSMSListsChild20113").
std::vector<std::string> OldDatabaseQueries();

// "SQL ERROR:%s,MY ERROR:%s" in the day log "convert".
void LogSqlError(const QString& sqliteText, const QString& ownText);
