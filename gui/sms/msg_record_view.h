#pragma once
// The record page of the main window's right pane: the drafts, failed and
// successful sends of every channel and the SMS survey records. The left list
// shows the records of the chosen node, the right one the chosen record's
// recipients (for a survey, its replies) above the record's text.
//
// Both lists are owner-data lists over a row source whose order is fixed when
// the query runs; selections are the view's row ranges, mapped to records by
// rowid through that order. The logic lives in sms/sent_records.
#include "core/row_source.h"
#include "gui/widgets/virtual_list_ctrl.h"
#include "sms/sent_records.h"

#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QMenu;

namespace Ui {
class CDlgMsgRecord;
}

class CDlgMsgRecord : public QWidget {
    Q_OBJECT
public:
    explicit CDlgMsgRecord(QWidget* parent);
    ~CDlgMsgRecord() override;

    // The records of the node `code`, narrowed by `filter` (SQL beginning
    // " AND", or empty), sorted by a click on `sortColumn` (-1: the default
    // order). Ticks and the current record start afresh.
    void QueryRecords(qint64 code, const QString& filter, int sortColumn);
    // The same node again in the default order (after the database was
    // rebuilt: rowids may have changed).
    void Requery();

    // ---- handlers (public so tests drive them as a click would) ----
    void OnDateQuery();         // 1003
    void OnAdvancedQuery();     // 1004
    void OnDeleteOrSurvey();    // 1005
    void OnForward();           // 1011
    void OnResend();            // 1012
    void OnExport();            // 1013, 10004
    void OnPerResend();         // 1014
    void OnStatistics();        // 1168
    void OnDeleteAll();         // 10006
    void OnRelevantReply();     // 10001
    void OnExportNumbers();     // 10007
    void OnSeekNumber();        // 10008
    void OnMenuCommand(int id); // 10001-10008
    void OnHeaderClicked(int column);
    // The current record's recipients and text (after a selection change).
    void ShowCurrentRecord();

    // The menus as a right click would show them.
    std::unique_ptr<QMenu> BuildRecordMenu(bool onRow);
    std::unique_ptr<QMenu> BuildRecipientMenu();

    // The selected rows of the record list as ranges.
    RowRanges SelectedRanges() const;
    // The sendIDs of the selected records, in list order.
    std::vector<qint64> GetDbIDofSelected();

    // ---- state, for the main window and tests ----
    const std::optional<RecordCategory>& Category() const { return m_category; }
    qint64 Code() const { return m_code; }
    RowSource& Rows() { return m_rows; }
    RowSource& Recipients() { return m_detail; }
    const QString& ListStatement() const { return m_rows.Statement(); }
    const QString& DetailStatement() const { return m_detailStatement; }
    qint64 CurrentSendId() const { return m_sendId; }
    int CurrentRow() const { return m_currentRow; }
    qint64 SnapshotRowid() const { return m_maxRowid; }
    CVirtualListCtrl* RecordList() const;
    CVirtualListCtrl* RecipientList() const;
    QString RecordCellText(int row, int column);
    QString RecipientCellText(int row, int column);

private:
    class ListOwner;
    void SetupCategory();
    void SetRecipientColumns();
    void LoadRecordDetail(int row);
    void ClearDetail();
    void LayOutLists();
    void OnCurrentRowChanged(int row);
    void OnRecordsContextMenu(const QPoint& pos);
    void OnRecipientsContextMenu(const QPoint& pos);
    // The one selected row, or -1 after the warning that exactly one must be.
    int SingleSelectedRow();
    void HandOver(int row, bool resend);
    void ExportCsvFallback();

    bool eventFilter(QObject* watched, QEvent* event) override;

    std::unique_ptr<Ui::CDlgMsgRecord> m_ui;
    std::unique_ptr<ListOwner> m_recordOwner;
    std::unique_ptr<ListOwner> m_recipientOwner;
    std::optional<RecordCategory> m_category;
    qint64 m_code = 0;
    RowSource m_rows;
    RowSource m_detail;
    QString m_detailStatement;
    qint64 m_maxRowid = 0;
    int m_currentRow = -1;
    qint64 m_sendId = 0;
    int m_splitX = -1; // the bar's left edge in the list area; -1: not placed yet
    bool m_querying = false;
};
