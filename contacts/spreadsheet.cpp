#include "contacts/spreadsheet.h"

#include "contacts/sheet_csv.h"
#include "contacts/xls_reader.h"
#include "contacts/xlsx_reader.h"
#include "core/paths.h"

#include <QDir>
#include <QFile>

struct Spreadsheet::Impl {
    std::unique_ptr<WorkbookReader> book;
    QString error;
};

Spreadsheet::Spreadsheet() : m_impl(std::make_unique<Impl>()) {}
Spreadsheet::~Spreadsheet() = default;

bool Spreadsheet::Open(const QString& path) {
    Close();
    m_impl->error.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_impl->error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return false;
    }
    // The content tells the kind; users rename files freely.
    const QByteArray head = file.read(8);
    file.close();
    static const QByteArray kZip("PK\x03\x04", 4);
    static const QByteArray kEmptyZip("PK\x05\x06", 4);
    static const QByteArray kCompound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (head.startsWith(kZip) || head.startsWith(kEmptyZip)) {
        auto book = std::make_unique<XlsxWorkbook>();
        if (book->Open(path, m_impl->error))
            m_impl->book = std::move(book);
    } else if (head == kCompound) {
        auto book = std::make_unique<XlsWorkbook>();
        if (book->Open(path, m_impl->error))
            m_impl->book = std::move(book);
    } else {
        m_impl->error = QStringLiteral("%1 is neither an .xlsx nor an .xls workbook").arg(path);
    }
    // A workbook of chart sheets alone has nothing to import.
    if (m_impl->book && m_impl->book->SheetNames().isEmpty()) {
        m_impl->book.reset();
        m_impl->error = QStringLiteral("the workbook has no worksheet");
    }
    if (!m_impl->book && !m_impl->error.startsWith(path))
        m_impl->error = QStringLiteral("%1: %2").arg(path, m_impl->error);
    return IsOpen();
}

bool Spreadsheet::IsOpen() const {
    return m_impl->book != nullptr;
}

QStringList Spreadsheet::SheetNames() const {
    return m_impl->book ? m_impl->book->SheetNames() : QStringList();
}

bool Spreadsheet::SaveSheetAsCsv(const QString& sheet, const QString& csvPath, const Progress& progress) {
    m_impl->error.clear();
    if (!m_impl->book) {
        m_impl->error = QStringLiteral("no workbook is open");
        return false;
    }
    const QStringList names = m_impl->book->SheetNames();
    const qsizetype found = names.indexOf(sheet);
    const int index = static_cast<int>(found >= 0 ? found : names.size() - 1);
    SheetCsvWriter out(csvPath);
    return out.Begin(m_impl->error) && m_impl->book->WriteSheet(index, out, progress, m_impl->error) &&
           out.Finish(m_impl->error);
}

void Spreadsheet::Close() {
    m_impl->book.reset();
}

const QString& Spreadsheet::ErrorText() const {
    return m_impl->error;
}

QString ExcelTempCsvPath() {
    const QString folder = GetAppDirectory() + QStringLiteral("/ExcelTemp");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/Temp.csv");
}
