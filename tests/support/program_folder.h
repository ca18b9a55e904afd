#pragma once
// A temporary program folder for one test: the program's paths point into it
// for the test's lifetime, and it is removed afterwards.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

class ProgramFolder {
public:
    // `nameTemplate` names the folder in the system's temporary folder, its
    // "XXXXXX" made unique ("corvelane-it's-XXXXXX"); by default the
    // application's name.
    explicit ProgramFolder(const QString& nameTemplate = QString());
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    // Creates parent folders as needed.
    void writeFile(const QString& relative, const QByteArray& content) const;
    QByteArray readFile(const QString& relative) const;

private:
    QTemporaryDir m_dir;
};

// A program folder with the run log open and a fresh database that the
// program built itself (OpenDatabase), closed again after the test.
class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Everything in today's run log so far.
    QString runLog() const;

    std::unique_ptr<ProgramFolder> m_folder;
};
