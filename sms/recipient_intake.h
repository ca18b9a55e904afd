#pragma once
// Recipients added to a sending list a slice at a time, so the window that
// drives it (a zero-time timer calling Step) stays responsive and its count
// grows while a large intake runs. Sources are taken in the order they were
// queued; every number goes through sms/number_rules.
#include "contacts/contact_selection.h"
#include "core/virtual_list.h"
#include "sms/number_rules.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <memory>
#include <vector>

struct sqlite3;
class SqlStatement;

// One recipient as the openers hand them over.
struct RecipientTriple {
    QString number;
    QString name;
    int contactId = 0;
};

// Triples from a flat list in groups of three: number, name, contact id (a
// text; not a number gives 0). An incomplete last group is dropped.
std::vector<RecipientTriple> TriplesFromStrings(const QStringList& flat);

// The statement that reads number and name for a passed query: "SELECT
// sendNum,name %s" over receivedMSGRecord (its upper-case text holds
// "RECEIVEDMSGRECORD"), else "SELECT mobileNum,name %s", with the passed
// query from its "FROM"; empty when it has no FROM.
QString RecipientQueryStatement(const QString& passedSql);

class RecipientIntake {
public:
    explicit RecipientIntake(VIRTUAL_LIST& list);
    ~RecipientIntake();
    RecipientIntake(const RecipientIntake&) = delete;
    RecipientIntake& operator=(const RecipientIntake&) = delete;

    // Queue a source. `db` must stay open until the intake is done.
    void AddTriples(std::vector<RecipientTriple> triples);
    // The ticked rows of a contact list, in list order: mobileNum, name, perNO.
    void AddSelection(sqlite3* db, const ContactSelection& selection);
    // The rows of a passed query (RecipientQueryStatement).
    void AddQuery(sqlite3* db, const QString& passedSql);

    // Takes up to `maxRows` rows; true while there is more to take.
    bool Step(int maxRows);
    // Takes everything queued.
    void Run();
    bool Done() const;
    // Drops what is still queued.
    void Cancel();

    // A query failed ("用传递过来的SQL查询联系人出错了" logged); the other sources ran.
    bool QueryFailed() const { return m_queryFailed; }
    const AddNumberCounts& Counts() const { return m_counts; }

private:
    struct Source;
    bool StepSource(Source& source, int& budget);

    VIRTUAL_LIST& m_list;
    std::deque<std::unique_ptr<Source>> m_sources;
    AddNumberCounts m_counts;
    bool m_queryFailed = false;
};
