#pragma once
// A sandbox for the updater: a program folder "prog" (the program's folder
// for the test), a folder "outside" beside it with sentinel files that no
// run may touch, the update server's folder "srv" served by a loopback HTTP
// server, and HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR of its own. The day
// log "update" is open into the program folder.
#include "platform/msgbox.h"
#include "tests/support/http_server.h"
#include "updater/brannock_engine.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <memory>

// Records what the engine shows; may stop the run at the n-th event pump.
class RecordingView : public IUpdateView {
public:
    void SetStatusText(const QString& text) override { statuses << text; }
    void ProcessEvents() override;
    // With abortInsideATransfer, the first progress between 0 and 100 % stops the run.
    void SetProgress(int percent) override {
        if (abortInsideATransfer && percent > 0 && percent < 100 && engine)
            engine->RequestAbort();
    }
    void ShowChangeList(const QStringList& lines) override { changeList = lines; }
    void SetCancelCaption(const QString& caption) override { cancelCaption = caption; }
    void EndDialog(int result) override { endedWith = result; }

    QStringList statuses;
    QStringList changeList;
    QString cancelCaption;
    int endedWith = 0;
    int pumps = 0;
    int abortAtPump = -1;
    bool abortInsideATransfer = false;
    CBrannockEngine* engine = nullptr;
};

class UpdaterSandbox : public ::testing::Test {
public:
    QString root() const { return m_dir.path(); }
    QString prog(const QString& relative = QString()) const;
    QString outside(const QString& relative = QString()) const;
    // Writes a file (parents made) with a mode.
    static void Write(const QString& path, const QByteArray& content, int mode = 0644);
    static QByteArray Read(const QString& path);
    static int ModeOf(const QString& path); // -1 when missing
    // gzip of `content`, made with zlib.
    static QByteArray Gzip(const QByteArray& content);

protected:
    void SetUp() override;
    void TearDown() override;

    // The server's folder: the description at "upd/update.dat", files beside it.
    void serve(const QString& relative, const QByteArray& content) {
        Write(m_srv + QLatin1Char('/') + relative, content);
    }
    QString descriptionUrl() const;
    LoopbackHttpServer& server();

    QString haveNew() const;
    // Every record of today's day log, descrambled, as text.
    QString dayLog() const;

    // A check, then (when `install`) "下一步" answered Yes, then "取消"/"完成".
    struct Run {
        std::vector<CBrannockEngine::Row> rows;
        QStringList changeList;
        bool fullUpdate = false;
        int endResult = 0;
        QString backupFolder;
        QStringList boxes; // texts of the message boxes shown
    };
    Run runUpdate(bool install = true, bool close = true);

    // The sentinels outside and the database are as they were.
    void expectUntouched() const;

    QTemporaryDir m_dir;
    QString m_srv;
    std::unique_ptr<LoopbackHttpServer> m_server;
    std::map<QString, QByteArray> m_savedEnv;
};
