#pragma once
// The updater's work behind its window: the update check, the downloads and
// the installation. The window (or a test, or the silent check) is an
// IUpdateView; the engine tells it what to show and asks it to handle
// waiting events during transfers.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

// One "key=value" line of a description section.
struct INI_INFO {
    QString key;
    QString value;
};
using IniList = std::vector<INI_INFO>;

// What the engine shows. Every method has a do-nothing default, so the
// silent check needs no window.
class IUpdateView {
public:
    virtual ~IUpdateView() = default;
    virtual void SetStatusText(const QString& /*text*/) {}
    virtual void SetProgress(int /*percent*/) {}
    // Handles waiting events (clicks on "取消", repaints) during transfers.
    virtual void ProcessEvents() {}
    virtual void AddRow(const QString& /*name*/, const QString& /*status*/) {}
    virtual void SetRowStatus(int /*row*/, const QString& /*status*/) {}
    // The columns "文件名" and "状态" of a list of files to update.
    virtual void ShowFileColumns() {}
    // The list becomes the change list: one column "     修改内容" and these lines.
    virtual void ShowChangeList(const QStringList& /*lines*/) {}
    virtual void EnableOk(bool /*enabled*/) {}
    virtual void SetCancelCaption(const QString& /*caption*/) {}
    virtual void SetBusy(bool /*busy*/) {}
    // The run is over: the window closes with IDOK or IDCANCEL.
    virtual void EndDialog(int /*result*/) {}
};

// Versions by "."-segments: digits by value, other segments as text without
// case, a missing segment smaller. Negative, 0 or positive.
int CompareVersionTexts(const QString& a, const QString& b);

class CHttpTransfer;

class CBrannockEngine {
public:
    // `programFolder` is <dir>; `interactive` is false for the silent check.
    CBrannockEngine(IUpdateView& view, const QString& programFolder, bool interactive);
    ~CBrannockEngine();
    CBrannockEngine(const CBrannockEngine&) = delete;
    CBrannockEngine& operator=(const CBrannockEngine&) = delete;

    // The window's start: splits the address, moves "*.oem" files into "OEM".
    void Start(const QString& updateAddress);
    // The check: downloads the description, lists the newer files and
    // records HaveNew.
    void CheckUpdate();
    bool CompareVersions();
    // Appends the section's "key=value" lines in file order; a key listed
    // twice is kept once (the first). False when the file exceeds 1 MiB.
    static bool ReadIniSection(const QString& file, IniList& list, const QString& section);
    // Downloads <server>/<objectPath> into `localPath` (a trailing ".qxf" is
    // dropped from it, also for the caller).
    bool DownLoadFile(const QString& objectPath, QString& localPath);

    // "下一步": ends the programs, backs up and replaces the listed files,
    // and finishes a full update.
    void DoUpdate();
    // "取消"/"完成": starts the programs of a full update, frees the lists and
    // ends the window; returns the result it ends with.
    int OnBnClickedCancel();
    void DeleteObsoleteFiles();
    void StartOpenFiles();
    bool DeleteShortcut(const QString& name);
    bool CreateShortcut(const QString& name, const QString& target);
    void FreeLists();

    // A click on "取消" or the close box while a transfer runs: the running
    // transfer stops as soon as it can and counts as failed.
    void RequestAbort() { m_abort = true; }
    enum class Phase { Idle, Checking, Updating };
    Phase phase() const { return m_phase; }

    // What the run did (the window and the tests read it).
    struct Row {
        QString name;
        QString status;
    };
    const std::vector<Row>& rows() const { return m_rows; }
    QStringList changeList() const { return m_changeList; }
    QString statusText() const { return m_status; }
    bool fullUpdateDone() const { return m_fullUpdateDone; }
    bool ended() const { return m_endResult != 0; }
    int endResult() const { return m_endResult; }
    QString backupFolder() const { return m_backupFolder; }

    // Test seam: how many transfers have been handed to libcurl so far.
    static int TransferCount();

private:
    friend class CHttpTransfer;
    QString path(const QString& relative) const;
    void setStatus(const QString& text);
    void setRowStatus(int row, const QString& status);
    void writeHaveNew(const QString& value);
    void endDialog(int result);
    void moveOemFiles();
    void endPrograms();
    void registerFiles();
    void finishFullUpdate();
    void applyOem();
    void removeTempFolder();
    bool installRow(int row, const QString& key);

    IUpdateView& m_view;
    QString m_dir;
    bool m_interactive;
    std::unique_ptr<CHttpTransfer> m_http;

    IniList m_localFileVer, m_serverFileVer, m_regFile, m_closeFiles, m_openFiles, m_deleteFiles;

    // The parts of the update address.
    bool m_addressUsable = false;
    QString m_origin;     // "http://host:port"
    QString m_objectPath; // "/path/update.dat"

    bool m_tempRemovable = true;
    bool m_fullUpdateDone = false;
    bool m_mainReplaced = false;
    bool m_abort = false;
    Phase m_phase = Phase::Idle;
    int m_endResult = 0;
    int m_lastProgress = -1;
    QString m_status;
    QString m_backupFolder;
    std::vector<Row> m_rows;
    QStringList m_changeList;
};
