#pragma once
// Switches the optional contact fields on and off and renames them. The
// switches and names are kept in the rows until OK stores them all at once.
#include "contacts/field_settings.h"

#include <QDialog>

#include <memory>
#include <set>
#include <vector>

namespace Ui {
class CDlgAddField;
}
class CItemEdit;

class CDlgAddField : public QDialog {
    Q_OBJECT
public:
    explicit CDlgAddField(QWidget* parent = nullptr);
    ~CDlgAddField() override;

    // A click on a row's name cell: an edit box over that cell.
    void BeginRename(int row);
    // Ends an open rename: the trimmed text becomes the row's name when it
    // passes the name checks, else the reason is shown and the old name stays.
    void EndRename();

    // Stores the rows; ends with 1003, or stays open after a failed save.
    void OnOK();

public slots:
    // "取消", Esc and the close box end with the cancel result; nothing is stored.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CancelRename();

    std::unique_ptr<Ui::CDlgAddField> m_ui;
    std::vector<AUTOFIELD> m_fields;
    std::set<int> m_inUseBefore;
    QStringList m_reservedNames;
    CItemEdit* m_renameEdit = nullptr;
    int m_renameRow = -1;
};
