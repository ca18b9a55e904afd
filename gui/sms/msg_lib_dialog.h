#pragma once
// The phrase library: groups of reusable SMS texts on the left, the phrases
// of the chosen group in a list, the chosen phrase in an editor below.
// Opened from the main menu (choosing a phrase then opens the SMS composer
// with it) and from the composer, which presets the text and takes the
// chosen one back when the dialog ends with 1003.
#include <QDialog>
#include <QString>

#include <cstdint>
#include <memory>

class QMenu;
class QTreeWidgetItem;

namespace Ui {
class CDlgMsgLib;
}

class CDlgMsgLib : public QDialog {
    Q_OBJECT
public:
    explicit CDlgMsgLib(QWidget* parent = nullptr);
    ~CDlgMsgLib() override;

    // The text put into the editor at opening; after 1003, the chosen text.
    void SetText(const QString& text);
    const QString& ResultText() const { return m_strText; }
    // The menu's road: "选择(&O)" then opens the SMS composer with the text.
    void SetOpenComposer(bool open) { m_bOpenComposer = open; }

    // ---- handlers (public so tests drive them as a click would) ----
    void OnSave();         // 21022
    void OnDeletePhrase(); // 21024
    void OnAddGroup();     // 1021
    void OnDeleteGroup();  // menu 10001, on the current group
    void OnChoose();       // 21025
    // The tree's pop-up menu for `item`: selects it and offers "删除" (10001);
    // null for a root or no item.
    std::unique_ptr<QMenu> GroupMenu(QTreeWidgetItem* item);

    int CurrentGroup() const { return m_nCurGroup; }
    // The stored row of the current phrase (-1: none) and its list row.
    int64_t CurrentPhrase() const { return m_nCurPhrase; }
    int CurrentRow() const { return m_nCurRow; }

public slots:
    // Enter ends nothing; Esc and the close box are "退出(&E)".
    void accept() override;
    void reject() override;

private:
    void BuildTree();
    void LoadPhraseList();
    void OnGroupSelected();
    void OnPhraseSelected();
    void ClearPhrase();
    void ShowCount(int rows);

    std::unique_ptr<Ui::CDlgMsgLib> m_ui;
    int m_nCurGroup = -1;
    int64_t m_nCurPhrase = -1;
    int m_nCurRow = -1;
    bool m_bReloading = false;
    QString m_strText;
    bool m_bOpenComposer = false;
};
