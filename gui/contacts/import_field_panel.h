#pragma once
// The column-mapping panel of the contact import: one row per contact field
// in use and visible, a label (object name field id + 101) and a list of the
// source's columns (object name the field id). A column taken by one field is
// not offered to another.
#include "contacts/import_mapping.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

namespace Ui {
class CDlgImportField;
}
class QComboBox;

class CDlgImportField : public QWidget {
    Q_OBJECT
public:
    // `columns` are the source's column names; they belong to the caller
    // and must outlive the panel.
    explicit CDlgImportField(const QStringList* columns, QWidget* parent = nullptr);
    ~CDlgImportField() override;

    // Field id -> chosen column; a field without an entry has no column.
    ColumnMap m_mapColumns;
    // Ids of the fields named "生日" and "特殊日期"; 0 when there is none.
    int m_nBirthdayField = 0;
    int m_nSpecialDateField = 0;

    // Builds the rows from the field definitions. Called by the constructor.
    void OnInitDialog();
    // The list of `fieldId` gets the columns it may offer now; its own
    // column stays chosen. Runs whenever a list gets the focus or opens.
    void RefillList(int fieldId);
    // A column was chosen in the list of `fieldId`.
    void OnSelectColumn(int fieldId);

    int RowCount() const { return static_cast<int>(m_controls.size() / 2); }

private:
    void AddRow(int fieldId, const QString& name);
    QComboBox* List(int fieldId) const;

    std::unique_ptr<Ui::CDlgImportField> m_ui;
    const QStringList* m_pColumns;
    // The labels and lists in the order made, two per field.
    std::vector<QWidget*> m_controls;
};
