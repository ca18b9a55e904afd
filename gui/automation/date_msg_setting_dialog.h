#pragma once
// The date-message settings: the four messages the main window sends by
// itself on the contacts' dates (birthday, special day, the two user date
// fields). OK checks every message first and then writes section DateMSG of
// the per-account settings file in one go (automation/date_msg_settings.h);
// the caller reloads its list when the dialog ends with 1003.
#include "automation/date_messages.h"
#include "automation/date_msg_settings.h"

#include <QDialog>

#include <array>
#include <memory>
#include <vector>

namespace Ui {
class CDlgDateMSGSetting;
}

class MyRichEditCtrl;
class QCheckBox;
class QGroupBox;
class QSpinBox;
class QTimeEdit;

class CDlgDateMSGSetting : public QDialog {
    Q_OBJECT
public:
    // `settings` is the main window's list; it stays the window's and is
    // only read. A short or null list leaves the missing messages off.
    CDlgDateMSGSetting(std::vector<DATEMSGVALUE>* settings, QWidget* mainWindow);
    ~CDlgDateMSGSetting() override;

    // OK: nothing is written while a ticked message has no text (its
    // message is shown); otherwise every key is written, "保存成功" shown and
    // the dialog ends with 1003.
    void OnOK();
    // A group's check box.
    void OnAutoSend(int index);
    // A field chosen in the insert-field combo.
    void OnInsertField(int comboIndex);

    // The content box that receives inserted field markers.
    MyRichEditCtrl* InsertionTarget() const { return m_target; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Group {
        QGroupBox* box;
        QCheckBox* autoSend;
        MyRichEditCtrl* content;
        QTimeEdit* sendTime;
        QSpinBox* preDays;
    };
    void Fill();
    void ApplyUserFields();
    void EnableGroup(const Group& group, bool on);
    void UpdateCommands();
    void LimitContent(MyRichEditCtrl* edit);
    DateMsgValues Collect() const;

    std::unique_ptr<Ui::CDlgDateMSGSetting> m_ui;
    std::vector<DATEMSGVALUE>* m_settings;
    std::array<Group, kDateMsgCount> m_groups{};
    int m_checkedCount = 0;
    bool m_wasOn = false; // some message was on at opening
    MyRichEditCtrl* m_target = nullptr;
};
