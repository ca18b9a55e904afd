#pragma once
// The birthday and holiday reminder window: modeless, owned by the main
// window, which hands it the due lists and shows it; closing it stops the
// reminder sound and only hides it.
#include "automation/birthday_tips.h"
#include "automation/date_messages.h"
#include "contacts/address_list.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class ReminderSoundPlayer;

namespace Ui {
class CDlgTipWnd;
}

class CDlgTipWnd : public QDialog {
    Q_OBJECT
public:
    using BIRTHTIP = ::BIRTHTIP;

    explicit CDlgTipWnd(QWidget* mainWindow);
    ~CDlgTipWnd() override;

    // The due birthdays (mobile numbers) and holidays: the lists are built
    // again from them, the holiday tab shown when there is a holiday, and the
    // reminder sound started when the account's settings ask for it.
    void SetLists(const std::vector<QString>& birthdayNumbers, const std::vector<HOLIDAYCONTENT>& holidays);

    // ---- handlers (public so tests drive them as a click would) ----
    void ShowHolidays();  // 1027
    void ShowBirthdays(); // 1028
    // 10001 (send an SMS to the selected birthdays), 10002 (open the
    // selected contact); both only on the birthday tab.
    void OnMenuCommand(int id);

    // ---- what the actions open; tests put stand-ins here ----
    // The SMS composer with the chosen contacts, as the picker hands them.
    using ComposerOpener = std::function<void(const std::vector<PickedContact>& contacts)>;
    void SetComposerOpener(ComposerOpener opener);
    // The contact window showing one contact.
    using ContactOpener = std::function<void(qint64 perNO)>;
    void SetContactOpener(ContactOpener opener);
    void SetSoundPlayer(std::unique_ptr<ReminderSoundPlayer> player);

    // ---- state, for tests ----
    int ShownTab() const { return m_tab; } // 0 holidays, 1 birthdays
    const std::vector<BIRTHTIP>& BirthTips() const { return m_birthTips; }
    QMenu* ContextMenu() const { return m_menu; }

public slots:
    void done(int result) override;

private:
    void FillList();
    void UpdateMenu();
    void OnListContextMenu(const QPoint& pos);
    std::vector<int> SelectedRows() const;
    void StartSound();
    void StopSound();

    std::unique_ptr<Ui::CDlgTipWnd> m_ui;
    QWidget* m_mainWindow;
    std::vector<BIRTHTIP> m_birthTips;
    std::vector<HOLIDAYCONTENT> m_holidays;
    int m_tab = 1;
    QMenu* m_menu = nullptr;
    ComposerOpener m_openComposer;
    ContactOpener m_openContact;
    std::unique_ptr<ReminderSoundPlayer> m_player;
};
