#pragma once
// The system settings: automatic receiving, reply and forward, the sound,
// the birthday lead, the backup prompt, batch sizes, the no-processing
// period, the prefix of split messages and the extension codes' groups.
// The values come from the settings array and the per-account settings
// file; OK writes the file (core/sys_settings.h). The caller reloads the
// array afterwards.
#include "core/helpers.h"

#include <QDialog>

#include <memory>
#include <vector>

namespace Ui {
class CDlgSYSSetting;
}

struct SysSettingValues;

class CDlgSYSSetting : public QDialog {
    Q_OBJECT
public:
    // A null `settings` leaves the controls empty.
    explicit CDlgSYSSetting(std::vector<SYSSETTING>* settings, QWidget* parent = nullptr);
    ~CDlgSYSSetting() override;

    // OK: checks and writes in order; ends with 1003 when everything was
    // written, stays open at the first refusal.
    void OnOK();
    // "退出", Esc and the close box end with IDCANCEL.
    void reject() override;

    // Handlers of the controls.
    void OnCheckBoxes();
    void OnChooseSound();
    void OnPreview();
    void OnReplyChanged();
    void OnForwardChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill(const SysSettingValues& values);
    SysSettingValues Collect() const;
    void FillGroupCombos();

    std::unique_ptr<Ui::CDlgSYSSetting> m_ui;
    std::vector<SYSSETTING>* m_settings;
};
