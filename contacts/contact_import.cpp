#include "contacts/contact_import.h"

#include "contacts/csv_reader.h"

CsvHeaderResult ReadCsvHeader(const QString&, QStringList&, QChar) {
    return CsvHeaderResult::CannotOpen;
}

ImportOutcome RunContactImport(sqlite3*, const ImportRequest&, const ImportProgressFn&) {
    ImportOutcome outcome;
    outcome.status = ImportOutcome::Status::OpenFailed;
    return outcome;
}

QString ImportOutcomeText(const ImportRequest&, const ImportOutcome&) {
    return {};
}
