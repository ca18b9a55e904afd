#pragma once
// The converter's window: the path of the old database, the start button and
// the progress bar over the engine, which runs on a worker thread.
#include "converter/old_db_converter.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QTimer;

namespace Ui {
class CKeldruneDlg;
class CKeldruneAboutDlg;
} // namespace Ui

class CKeldruneAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CKeldruneAboutDlg(QWidget* parent = nullptr);
    ~CKeldruneAboutDlg() override;

private:
    std::unique_ptr<Ui::CKeldruneAboutDlg> m_ui;
};

class CKeldruneDlg : public QDialog {
    Q_OBJECT
public:
    // `automatic`: started with an argument; the conversion starts by itself.
    CKeldruneDlg(bool automatic, const QString& programFolder, QWidget* parent = nullptr);
    ~CKeldruneDlg() override;

    bool running() const { return m_worker.joinable(); }

    // The file dialog of "浏览..."; tests put a chooser in its place.
    using FileChooser = std::function<QString(QWidget* parent, const QString& filter)>;
    static void SetFileChooser(FileChooser chooser);

    // Enter and Esc do nothing.
    void accept() override {}
    void reject() override {}

    void OnBrowse();
    void OnStart();
    void OnClose();
    void OnAbout();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnInitDialog();
    void OnTimer();
    void Convert();
    void OnConverted(bool ok, const QString& errorText);
    void ShowStart(bool visible);

    std::unique_ptr<Ui::CKeldruneDlg> m_ui;
    QString m_folder;
    QString m_sourcePath;
    bool m_auto = false;
    bool m_closeWhenDone = false;
    QTimer* m_progressTimer = nullptr;
    std::unique_ptr<OldDatabaseSource> m_source;
    std::thread m_worker;
    std::atomic<bool> m_abort{false};
    std::atomic<int> m_progressMax{0};
    std::atomic<int> m_progressValue{0};
};
