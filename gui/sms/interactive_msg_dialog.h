#pragma once
// The interactive SMS rules: conditions on a received message and on its
// sender's contact record, and the reply the matching senders get. A rule is
// saved under a name as a ready statement (sms/interactive_rules.h); the
// dialog also keeps the account's unsubscribe code.
#include "sms/interactive_rules.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace Ui {
class CDlgInteractiveMSG;
}

class CDlgInteractiveMSG : public QDialog {
    Q_OBJECT
public:
    explicit CDlgInteractiveMSG(QWidget* parent = nullptr);
    ~CDlgInteractiveMSG() override;

    // "添加" (21013): a field, a comparison and a value are needed (else 211).
    void OnAdd();
    // "删除" (21011): removes the selected conditions.
    void OnDelete();
    // "全部删除" (21012).
    void OnDeleteAll();
    // "保存条件" (31013): needs a reply and a condition (else 210), asks for
    // the name, stores the rule and says how it went; the unsubscribe code is
    // written once a name was given, whether the rule could be stored or not.
    void OnSave();
    // "打开条件" (41016): the chosen rule's conditions and reply.
    void OnOpen();
    // The insert-field combo: "<%" + the field + "%>" at the reply's caret.
    void OnInsertField(int index);

    // The conditions listed, in list order.
    std::vector<RuleCondition> Conditions() const;
    // The id the last save stored the rule under (0 before or after a failure).
    int64_t SavedId() const { return m_savedId; }

public slots:
    // Enter does not close the window; only Esc and the close box do.
    void accept() override;
    void reject() override;

private:
    void AppendCondition(const RuleCondition& condition);
    // Every row after the first reads "并且"; the first one is blank.
    void UpdateRelations();

    std::unique_ptr<Ui::CDlgInteractiveMSG> m_ui;
    std::vector<FIELDINFO> m_fields;
    int64_t m_savedId = 0;
    QString m_lastOpenedName;
};
