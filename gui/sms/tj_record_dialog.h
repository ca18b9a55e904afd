#pragma once
// The statistics window "统计结果": the successful submissions of the
// customer database's CountmsgRecord totalled per charge mark, optionally
// within a date range; the rows of a range can be deleted and the totals
// exported to a spreadsheet file.
#include "core/row_source.h"
#include "gui/widgets/virtual_list_ctrl.h"
#include "sms/sms_statistics.h"

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class DlgTJRecord;
}

class DlgTJRecord : public QDialog, public VirtualListOwner {
    Q_OBJECT
public:
    // Runs the query without a date condition at once.
    explicit DlgTJRecord(QWidget* parent = nullptr);
    ~DlgTJRecord() override;

    // "查询" (1169): the date condition of the ticked pickers, then the list again.
    void OnQuery();
    // "删除" (1170): needs right 14; deletes the statistics rows of the
    // ticked range (all of them when neither picker is ticked), says how it
    // went and queries again.
    void OnDelete();
    // "导出统计结果" (1135): every row of the current query to an .xlsx file.
    void OnExport();

    // The days of the ticked pickers.
    StatisticsRange Range() const;
    // The statement the list shows.
    const std::string& QueryText() const { return m_query; }
    int RowCount() const { return m_rows.Count(); }

    void CacheHint(int first, int last) override;
    QString CellText(int row, int column) override;

public slots:
    // Enter does not close the window; only Esc and the close box do.
    void accept() override;
    // Esc and the close box end it with the cancel result.
    void reject() override;

private:
    void Reload();

    std::unique_ptr<Ui::DlgTJRecord> m_ui;
    std::string m_query;
    RowSource m_rows;
};
