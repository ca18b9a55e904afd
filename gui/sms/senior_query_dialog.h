#pragma once
// "高级查询": a list of conditions (field, operator, value, joined by AND or
// OR) that becomes an SQL filter for the opener: the sent-records page, the
// survey records, the received page or the contact list. In received mode
// the filter can also be saved as the condition of "显示条件推送".
#include <QDialog>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>

namespace Ui {
class CDlgSeniorQuery;
}
class AdvancedQuery;

class CDlgSeniorQuery : public QDialog {
    Q_OBJECT
public:
    explicit CDlgSeniorQuery(QWidget* parent = nullptr);
    ~CDlgSeniorQuery() override;

    // The modes; none set means sent records. Contacts mode takes the column
    // of each field from SetFields and leaves out the draft and failure terms.
    void SetContactsMode(bool contactsMode);
    void SetSurveyMode(bool surveyMode);
    void SetReceivedMode(bool receivedMode);
    // The fields' display names (and in contacts mode their column names),
    // copied when the dialog starts.
    void SetFields(const QStringList* displayNames, const QStringList* columnNames);
    void SetFieldNames(const QStringList& displayNames);

    // Fills the boxes from the fields and the mode; runs once, on the first
    // show at the latest.
    void OnInitDialog();

    // The field box follows: a "时间" field takes its value from the date picker.
    void OnFieldChanged(int field);
    // "添加" (21013), "删除" (21011), "全部删除" (21012), "查询" (31013) and,
    // in received mode, "保存条件" (1171).
    void OnAdd();
    void OnDelete();
    void OnDeleteAll();
    void OnQuery();
    void OnSave();

    // The filter of the last "查询" (or "保存条件"): " AND …", "" before.
    const QString& Result() const { return m_result; }
    // The filter the list makes now.
    QString Filter() const;
    int ConditionCount() const;

    // Runs the dialog modally: the filter when it ended with "查询", nullopt
    // when it was closed otherwise (also after "保存条件").
    std::optional<QString> RunForCondition();

signals:
    // On "查询": the filter, an SQL fragment beginning " AND".
    void ConditionChosen(const QString& condition);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void RefreshList();

    std::unique_ptr<Ui::CDlgSeniorQuery> m_ui;
    bool m_contactsMode = false;
    bool m_surveyMode = false;
    bool m_receivedMode = false;
    QStringList m_displayNames;
    QStringList m_columnNames;
    std::unique_ptr<AdvancedQuery> m_query;
    QString m_result;
};
