#pragma once
// The updater's window ("Update"): the file list, the progress bar, the
// status line and the two buttons over the engine that does the work.
#include "updater/brannock_engine.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CBrannockDlg;
}

class CBrannockDlg : public QDialog, private IUpdateView {
    Q_OBJECT
public:
    CBrannockDlg(const QString& updateAddress, const QString& programFolder, QWidget* parent = nullptr);
    ~CBrannockDlg() override;

    CBrannockEngine& engine() { return m_engine; }

    // "取消" and the close box: during a transfer they only stop it.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void onCheckTimer();
    void onOk();
    void cancelOrStop();

    void SetStatusText(const QString& text) override;
    void SetProgress(int percent) override;
    void ProcessEvents() override;
    void AddRow(const QString& name, const QString& status) override;
    void SetRowStatus(int row, const QString& status) override;
    void ShowFileColumns() override;
    void ShowChangeList(const QStringList& lines) override;
    void EnableOk(bool enabled) override;
    void SetCancelCaption(const QString& caption) override;
    void SetBusy(bool busy) override;
    void EndDialog(int result) override;

    std::unique_ptr<Ui::CBrannockDlg> m_ui;
    CBrannockEngine m_engine;
    bool m_closeAfterCheck = false;
    bool m_busyCursor = false;
};
