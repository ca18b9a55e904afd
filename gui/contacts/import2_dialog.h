#pragma once
// The contact import's mapping step: which source column fills which
// contact field (the mapping panel), and optionally a column naming each
// contact's group. Runs the group step in its place; ends with its 1002 or
// 1003, or with 1001 for "上一步".
#include "contacts/contact_import.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

namespace Ui {
class CDlgImport2;
}
class CDlgImportField;

class CDlgImport2 : public QDialog {
    Q_OBJECT
public:
    // `columns` are the source's column names; they belong to the caller
    // and must outlive the dialog. `importMode` is kImportCsv or
    // kImportDatabase (which has no group column).
    CDlgImport2(const QStringList* columns, int importMode, QWidget* parent = nullptr);
    ~CDlgImport2() override;

    // Set by the opener before the dialog runs.
    int m_nGroupId = 0;
    QString m_strPath;
    QString m_strConnect;
    QString m_strTable;
    bool m_bFormatDates = false;
    int m_nCallerValue = 0;

    CDlgImportField* m_pFieldPanel = nullptr;

    // Builds the mapping panel and the group-column list. Called by the constructor.
    void OnInitDialog();
    // "下一步": 189 while the mobile number has no column; else the group step.
    void OnNext();
    // Esc and the close box: "确定退出?", Yes ends with 1002.
    void reject() override;
    // Enter does nothing: only the buttons move the wizard.
    void accept() override {}

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::CDlgImport2> m_ui;
    const QStringList* m_pColumns;
    int m_nImportMode;
};
