#pragma once
// The small dialogs in which the user types recipients or a name: fax
// numbers, e-mail addresses, a group name. They share one behaviour: OK
// refuses an empty box and hands the text over trimmed, its lines joined
// with CR LF (the opener splits and checks it); Cancel asks before it throws
// typed text away.
#include <QDialog>
#include <QString>

#include <memory>

class QAbstractButton;
class QLineEdit;
class QTextEdit;

namespace Ui {
class CDlgAddFaxNO;
class CDlgAddMailAddr;
class CDlgAddGroup;
} // namespace Ui

class CEntryDialog : public QDialog {
    Q_OBJECT
public:
    ~CEntryDialog() override;

    // The accepted text (after 1003): trimmed, lines joined with CR LF.
    QString m_text;

public slots:
    // OK (and Enter where the box does not take it).
    void accept() override;
    // Cancel, Esc and the close box: 1002 once an edited box may be dropped.
    void reject() override;

protected:
    explicit CEntryDialog(QWidget* parent);

    // The subclass names its text box and buttons right after setupUi.
    void SetTextBox(QTextEdit* box);
    void SetTextBox(QLineEdit* box);
    void ConnectButtons(QAbstractButton* ok, QAbstractButton* cancel);

    // The box's text as it stands.
    QString BoxText() const;
    // Says "内容不能为空." and returns false for a box of blanks.
    bool CheckBoxNotEmpty();

    // Checks the box and ends with 1003, the text in m_text.
    virtual void OnOK();

private:
    QTextEdit* m_richBox = nullptr;
    QLineEdit* m_lineBox = nullptr;
};

// "添加新传真号码": fax numbers, one a line.
class CDlgAddFaxNO : public CEntryDialog {
    Q_OBJECT
public:
    explicit CDlgAddFaxNO(QWidget* parent = nullptr);
    ~CDlgAddFaxNO() override;

private:
    std::unique_ptr<Ui::CDlgAddFaxNO> m_ui;
};

// "添加新邮件地址": e-mail addresses, one a line.
class CDlgAddMailAddr : public CEntryDialog {
    Q_OBJECT
public:
    explicit CDlgAddMailAddr(QWidget* parent = nullptr);
    ~CDlgAddMailAddr() override;

private:
    std::unique_ptr<Ui::CDlgAddMailAddr> m_ui;
};

// "增加分组": the name of a new group.
class CDlgAddGroup : public CEntryDialog {
    Q_OBJECT
public:
    explicit CDlgAddGroup(QWidget* parent = nullptr);
    ~CDlgAddGroup() override;

private:
    std::unique_ptr<Ui::CDlgAddGroup> m_ui;
};
