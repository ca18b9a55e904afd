#pragma once
// Asks for the name a rule is saved under: an editable list of the stored
// rule names. A name already stored is only taken after the user agrees to
// overwrite that rule.
#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class CDlgCondi;
}

class CDlgCondi : public QDialog {
    Q_OBJECT
public:
    explicit CDlgCondi(QWidget* parent = nullptr);
    ~CDlgCondi() override;

    // The name shown when the dialog opens (the rule opened last).
    void SetName(const QString& name);

    // "保存" (1): refuses an empty name (177); asks 178 for a stored name and
    // stays open on No; otherwise ends with 1003.
    void OnOK();

    // After 1003: the name and whether a rule of that name was stored.
    const QString& Name() const { return m_name; }
    bool NameExisted() const { return m_existed; }

public slots:
    // Enter acts like "保存".
    void accept() override;
    // "取消", Esc and the close box end with the cancel result.
    void reject() override;

private:
    std::unique_ptr<Ui::CDlgCondi> m_ui;
    QString m_name;
    bool m_existed = false;
};
