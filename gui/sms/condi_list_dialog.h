#pragma once
// The stored rules by name, to choose one to open or to delete some.
#include <QDialog>
#include <QString>

#include <cstdint>
#include <memory>

namespace Ui {
class CDlgCondiList;
}

class CDlgCondiList : public QDialog {
    Q_OBJECT
public:
    explicit CDlgCondiList(QWidget* parent = nullptr);
    ~CDlgCondiList() override;

    // "确定" (1) and a double click: exactly one row must be selected (else
    // 179); ends with 1003.
    void OnOK();
    // "删除" (1010): deletes every selected rule with its condition rows; a
    // rule that cannot be deleted stays listed.
    void OnDelete();

    // After 1003: the chosen rule.
    int64_t ChosenId() const { return m_chosenId; }
    const QString& ChosenName() const { return m_chosenName; }

public slots:
    void accept() override;
    // "取消", Esc and the close box end with the cancel result.
    void reject() override;

private:
    std::unique_ptr<Ui::CDlgCondiList> m_ui;
    int64_t m_chosenId = 0;
    QString m_chosenName;
};
