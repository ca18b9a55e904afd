#pragma once
// The address-list picker: finds contacts by group, initial, field
// condition, row range or advanced condition, lets the user tick them, and
// hands the ticked ones to its opener (or, in query mode, to the SMS
// composer). It also deletes, exports and fills missing initials.
#include "contacts/address_list.h"
#include "contacts/contact_selection.h"
#include "core/row_source.h"
#include "gui/widgets/virtual_list_ctrl.h"

#include <QChar>
#include <QDialog>
#include <QStringList>

#include <map>
#include <memory>

namespace Ui {
class CDlgAddressList;
}
class QPushButton;
class QTimer;

class CDlgAddressList : public QDialog, public VirtualListOwner, public AdvancedConditionTarget {
    Q_OBJECT
public:
    explicit CDlgAddressList(QWidget* parent = nullptr);
    ~CDlgAddressList() override;

    // Set by the opener before the dialog is shown: exactly one mode flag.
    bool m_queryMode = false; // the contact pane's query window: OK sends an SMS
    bool m_forSms = false;
    bool m_forMms = false;
    bool m_forVoice = false;
    bool m_forFax = false;
    bool m_forEmail = false;
    bool m_forTask = false;
    // Receives the ticked contacts when OK is pressed outside query mode.
    PickedContactsReceiver* m_receiver = nullptr;

    // Loads groups, fields and the first list; done once, when first shown.
    void OnInitDialog();
    // Queries with the controls' conditions and `letter` (null: none).
    void Reload(QChar letter = QChar());
    // Runs the current condition again; `sortColumn` -1 for the default
    // order, kKeepOrder for the current one, else the list column clicked.
    // Clears the ticks.
    static constexpr int kKeepOrder = -2;
    void QueryList(int sortColumn);
    // The condition from the advanced query dialog: kept for the dialog's
    // life and appended to every later query.
    void ApplyAdvancedCondition(const QString& condition) override;

    void OnOK();
    void OnDelete();
    void OnExport();
    void OnGenerateInitials();
    void OnLetter(int id);
    void OnAdvancedQuery();
    void OnSelectAll();
    void OnReverseSelection();
    // Show and edit the contact of list row `row`.
    void ShowAndEdit(int row);
    // The context menu's commands 10001-10011 for list row `row`.
    void OnMenuCommand(int command, int row);

    // For tests and the opener.
    const ContactSelection& Selection() const { return m_selection; }
    const AddressListQuery& Query() const { return m_query; }
    CVirtualListCtrl* List() const;
    qint64 TickedCount() const;

    // VirtualListOwner.
    void CacheHint(int first, int last) override;
    QString CellText(int row, int column) override;
    std::optional<bool> CellChecked(int row, int column) override;
    void SetCellChecked(int row, int column, bool checked) override;
    bool HeaderClicked(int column) override;

public slots:
    // Esc and the close box end with the cancel result.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    PickerMode Mode() const;
    void OnQueryFieldChanged(int index);
    void OnRowClicked(const QModelIndex& index);
    void OnContextMenu(const QPoint& pos);
    void ShowCounts();
    void TickRows(int first, int last, bool ticked);
    QPushButton* LetterButton(int id) const;

    std::unique_ptr<Ui::CDlgAddressList> m_ui;
    bool m_initialized = false;
    std::map<qint64, QString> m_groupNames;
    QStringList m_fieldColumns;
    QStringList m_fieldNames;
    AddressListFilter m_filter;
    AddressListQuery m_query;
    QString m_condition;
    QString m_orderClause;
    std::optional<RowNumberRange> m_range;
    ContactSelection m_selection;
    RowSource m_rows;
    bool m_missingInitials = false;
    int m_letterButton = 9965;
    QTimer* m_treeTimer = nullptr;
};
