#pragma once
// "导入文本号码": the numbers of a text file into a sending list. The file is
// read in blocks of 1 MB whatever it holds; NumberRunScanner (core/numbers.h)
// finds its numbers. Each number goes through the acceptance and duplicate
// rules of sms/number_rules and is added without a name.
#include "core/numbers.h"
#include "core/virtual_list.h"
#include "sms/number_rules.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

inline constexpr qint64 kNumberImportBlock = 1024 * 1024;

struct NumberImportResult {
    bool opened = false;     // false: the file could not be read ("打开文件失败")
    bool readFailed = false; // a read failed part way; what was read is kept
    bool cancelled = false;
    AddNumberCounts counts; // the runs taken, by outcome
    int tooLong = 0;        // runs of more than 15 digits, skipped
};

// An import that runs a block at a time, so a window can drive it from a
// timer and show progress.
class NumberFileImport {
public:
    NumberFileImport(VIRTUAL_LIST& list, const QString& path);
    ~NumberFileImport();
    NumberFileImport(const NumberFileImport&) = delete;
    NumberFileImport& operator=(const NumberFileImport&) = delete;

    // False when the file could not be opened (the result says so too).
    bool IsOpen() const;
    // Reads and takes up to `blocks` blocks; true while there is more.
    bool Step(int blocks = 1);
    // Stops; what was added stays.
    void Cancel();
    bool Done() const { return m_done; }
    qint64 BytesDone() const { return m_bytesDone; }
    qint64 BytesTotal() const { return m_bytesTotal; }
    NumberImportResult Result() const;

private:
    VIRTUAL_LIST& m_list;
    std::FILE* m_file = nullptr;
    std::unique_ptr<char[]> m_block;
    NumberRunScanner m_scanner;
    NumberImportResult m_result;
    qint64 m_bytesDone = 0;
    qint64 m_bytesTotal = 0;
    bool m_done = false;
};

// Runs an import to the end. `progress` (bytes done, bytes total) is called
// after every block; it returns false to cancel.
using ImportProgress = std::function<bool(qint64 done, qint64 total)>;
NumberImportResult ImportNumberFile(VIRTUAL_LIST& list, const QString& path,
                                    const ImportProgress& progress = {});
