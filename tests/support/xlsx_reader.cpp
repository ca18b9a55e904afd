#include "tests/support/xlsx_reader.h"

#include "tests/support/test_helpers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

const char kReader[] = R"PY(
import json, sys
import openpyxl
book = openpyxl.load_workbook(sys.argv[1], read_only=True)
out = {}
for sheet in book.worksheets:
    rows = []
    for row in sheet.iter_rows(values_only=True):
        rows.append(["" if v is None else (v if isinstance(v, str) else "<%s>" % type(v).__name__) for v in row])
    out[sheet.title] = rows
sys.stdout.write(json.dumps(out))
)PY";

} // namespace

std::map<QString, std::vector<QStringList>> ReadXlsx(const QString& path) {
    const QJsonObject sheets =
        QJsonDocument::fromJson(RunSystemPython(QString::fromUtf8(kReader), {path})).object();
    std::map<QString, std::vector<QStringList>> result;
    for (auto it = sheets.begin(); it != sheets.end(); ++it) {
        std::vector<QStringList>& rows = result[it.key()];
        for (const QJsonValue& row : it.value().toArray()) {
            QStringList cells;
            for (const QJsonValue& cell : row.toArray())
                cells << cell.toString();
            while (!cells.isEmpty() && cells.back().isEmpty())
                cells.removeLast();
            rows.push_back(cells);
        }
    }
    return result;
}
