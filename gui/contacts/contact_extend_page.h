#pragma once
// The editor's second page: one control per user-defined field in use, made
// when the page is built, its object name the field id.
#include "contacts/contact_record.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

namespace Ui {
class CDlgContactExtend;
}

class CDlgContactExtend : public QWidget {
    Q_OBJECT
public:
    explicit CDlgContactExtend(QWidget* parent = nullptr);
    ~CDlgContactExtend() override;

    // Fills the controls from `record`.
    void SetRecord(const CONTACTINFO& record);
    // Writes the fields that have a control into `record`, which holds the
    // values the page was filled with (or a new record's defaults): a check
    // box or date the user did not change leaves its value as it is.
    void FillRecord(CONTACTINFO& record) const;
    // The user-defined fields (21..34) without a control on this page.
    std::vector<int> FieldsWithoutControl() const;
    int FieldCount() const { return static_cast<int>(m_fields.size()); }

private:
    struct Field {
        int id = 0;
        QWidget* control = nullptr;
        bool edited = false;
    };
    void AddField(const QString& name, int fieldId);

    std::unique_ptr<Ui::CDlgContactExtend> m_ui;
    std::vector<std::unique_ptr<Field>> m_fields;
};
