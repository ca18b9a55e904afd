#pragma once
// Reads an .xlsx file back the way an independent program sees it: through
// openpyxl under the system's Python.
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

// Sheet name -> rows of cell texts: an empty cell reads "", a cell that is
// not text "<type>", trailing empty cells are dropped. Fails the running
// test when the file cannot be read.
std::map<QString, std::vector<QStringList>> ReadXlsx(const QString& path);
