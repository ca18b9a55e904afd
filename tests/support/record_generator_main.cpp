// Fills a program folder's databases with generated send records and
// received messages, for screenshots of the record pages on a realistic
// amount of data: record-generator <program folder> <records> <received>.
// The program must not be running.
#include "core/database.h"
#include "core/paths.h"
#include "tests/support/record_generator.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <program folder> <records> <received>\n", argv[0]);
        return 2;
    }
    SetAppDirectory(QString::fromLocal8Bit(argv[1]));
    if (OpenDatabase() != 0) {
        std::fprintf(stderr, "cannot open the database\n");
        return 3;
    }
    RecordGeneratorOptions options;
    options.records = std::atoi(argv[2]);
    options.received = std::atoi(argv[3]);
    const GeneratedRecords generated = GenerateRecords(options);
    CloseDatabase();
    if (!generated.ok) {
        std::fprintf(stderr, "the records could not be written\n");
        return 1;
    }
    std::printf("%d records, %d received messages\n", generated.records, generated.receivedRows);
    return 0;
}
