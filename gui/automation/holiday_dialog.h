#pragma once
// The holiday greetings: the holidays of one kind with a greeting each,
// edited in place in the list (every change saved at once), and the holiday
// reminder settings. Opened from the main menu, and from the SMS composer,
// which takes the chosen greeting (result 1003).
#include <QDialog>
#include <QString>

#include <cstdint>
#include <memory>

namespace Ui {
class CDlgHoliday;
}

class CDlgHoliday : public QDialog {
    Q_OBJECT
public:
    explicit CDlgHoliday(QWidget* parent = nullptr);
    ~CDlgHoliday() override;

    // The chosen greeting once the dialog ended with 1003.
    const QString& ResultText() const { return m_resultText; }

    // ---- handlers (public so tests drive them as a click would) ----
    void OnType(int type);          // 1038, 1039, 1040: kind 0, 1, 2
    void OnAutoTipToggled(bool on); // 1006
    void OnAddHoliday();            // 1036
    void OnDeleteHoliday();         // 1037
    void OnChoose();                // 1041
    // The end of an in-place edit of a cell (columns 1 month, 2 day, 3 name,
    // 4 greeting). A refused text gives its warning and false (the edit goes
    // on); an accepted one goes into the cell, and a row with all four
    // filled is saved.
    bool EndCellEdit(int row, int column, const QString& text);

    int CurrentType() const { return m_type; }
    // The stored id of a row (0: not stored).
    int64_t RowRecId(int row) const;

public slots:
    // Every way out keeps the reminder settings.
    void done(int result) override;

private:
    void LoadList();
    QString CellText(int row, int column) const;
    int SelectedRow() const;
    void SaveTipSettings();

    std::unique_ptr<Ui::CDlgHoliday> m_ui;
    int m_type = 0;
    QString m_resultText;
};
