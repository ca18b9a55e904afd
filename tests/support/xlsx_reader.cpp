#include "tests/support/xlsx_reader.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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
    // The system's interpreter, which the python3-openpyxl package serves,
    // before any other python3 on the PATH.
    const QString system = QStringLiteral("/usr/bin/python3");
    QProcess python;
    python.start(QFileInfo(system).isExecutable() ? system : QStringLiteral("python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(kReader), path});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QJsonObject sheets = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
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
