#pragma once
// The editor's first page: the twenty fixed fields, the groups, and the
// birthday and special-date message switches.
#include "contacts/contact_record.h"

#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class CDlgContactBase;
}
class QComboBox;
class QTreeWidgetItem;

class CDlgContactBase : public QWidget {
    Q_OBJECT
public:
    explicit CDlgContactBase(QWidget* parent = nullptr);
    ~CDlgContactBase() override;

    // Fills the controls from `record` (kept by the caller while the page
    // lives) and ticks its groups. Null: a new contact.
    void SetRecord(const CONTACTINFO* record);
    // For a new contact: ticks and selects this group.
    void SetPresetGroup(int groupId);

    // Writes the fixed fields and the ticked groups (tree order) into
    // `record`. A field the user did not change gives back what was stored.
    void FillRecord(CONTACTINFO& record) const;
    // The mobile number to store: the stored one while its masked display
    // is unchanged, else the text in the box.
    QString MobileToSave() const;

    // Puts the keyboard focus on the name, where the user starts.
    void FocusName();

    // The date switches; `kind` 0 birthday, 1 special date.
    void OnDateSwitch(int kind, bool ticked);
    void OnProvinceChanged();

    int m_presetGroupId = -1;
    int m_perNo = -1;

private:
    void LoadFieldLabels();
    void LoadProvinces();

    std::unique_ptr<Ui::CDlgContactBase> m_ui;
    const CONTACTINFO* m_record = nullptr;
    QString m_storedMobile;
    QString m_shownMobile;
};

// Combo helpers of the editor: items carry the stored value as data.
// Inserts keeping the list in pinyin order of the values.
void AddPinyinSortedItem(QComboBox* combo, const QString& value, const QString& shown = QString());
// Selects the item holding `value`; an unknown value is first added (in
// pinyin order when `sorted`, else last). An empty value selects nothing.
void SelectComboValue(QComboBox* combo, const QString& value, bool sorted);
// The selected item's value; "" when nothing is selected.
QString ComboValue(const QComboBox* combo);
