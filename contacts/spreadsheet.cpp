#include "contacts/spreadsheet.h"

#include "core/paths.h"

#include <QDir>

struct Spreadsheet::Impl {
    QString error;
};

Spreadsheet::Spreadsheet() : m_impl(std::make_unique<Impl>()) {}
Spreadsheet::~Spreadsheet() = default;

bool Spreadsheet::Open(const QString&) {
    m_impl->error = QStringLiteral("not built yet");
    return false;
}

bool Spreadsheet::IsOpen() const {
    return false;
}

QStringList Spreadsheet::SheetNames() const {
    return {};
}

bool Spreadsheet::SaveSheetAsCsv(const QString&, const QString&, const Progress&) {
    return false;
}

void Spreadsheet::Close() {}

const QString& Spreadsheet::ErrorText() const {
    return m_impl->error;
}

QString ExcelTempCsvPath() {
    const QString folder = GetAppDirectory() + QStringLiteral("/ExcelTemp");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/Temp.csv");
}
