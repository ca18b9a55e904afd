#include "sms/recipient_intake.h"

#include "core/log.h"
#include "core/sql.h"
#include "sms/row_sources.h"

#include <sqlite3.h>

#include <algorithm>

std::vector<RecipientTriple> TriplesFromStrings(const QStringList& flat) {
    std::vector<RecipientTriple> triples;
    triples.reserve(static_cast<size_t>(flat.size() / 3));
    for (qsizetype i = 0; i + 2 < flat.size(); i += 3) {
        bool ok = false;
        const int id = flat[i + 2].trimmed().toInt(&ok);
        triples.push_back(RecipientTriple{flat[i], flat[i + 1], ok ? id : 0});
    }
    return triples;
}

QString RecipientQueryStatement(const QString& passedSql) {
    const QString from = ContactSelection::FromClause(passedSql);
    if (from.isEmpty())
        return {};
    const bool received = passedSql.toUpper().contains(QLatin1String("RECEIVEDMSGRECORD"));
    return (received ? QStringLiteral("SELECT sendNum,name %1") : QStringLiteral("SELECT mobileNum,name %1"))
        .arg(from);
}

struct RecipientIntake::Source {
    enum class Kind { Triples, Selection, Query } kind = Kind::Triples;
    std::vector<RecipientTriple> triples;
    size_t next = 0;
    sqlite3* db = nullptr;
    ContactSelection selection;
    QString statementText;
    std::unique_ptr<SqlStatement> statement;
    bool started = false;
};

RecipientIntake::RecipientIntake(VIRTUAL_LIST& list) : m_list(list) {}

RecipientIntake::~RecipientIntake() = default;

void RecipientIntake::AddTriples(std::vector<RecipientTriple> triples) {
    auto source = std::make_unique<Source>();
    source->kind = Source::Kind::Triples;
    source->triples = std::move(triples);
    m_sources.push_back(std::move(source));
}

void RecipientIntake::AddSelection(sqlite3* db, const ContactSelection& selection) {
    if (selection.IsEmpty())
        return;
    auto source = std::make_unique<Source>();
    source->kind = Source::Kind::Selection;
    source->db = db;
    source->selection = selection;
    m_sources.push_back(std::move(source));
}

void RecipientIntake::AddQuery(sqlite3* db, const QString& passedSql) {
    auto source = std::make_unique<Source>();
    source->kind = Source::Kind::Query;
    source->db = db;
    source->statementText = RecipientQueryStatement(passedSql);
    m_sources.push_back(std::move(source));
}

bool RecipientIntake::Done() const {
    return m_sources.empty();
}

void RecipientIntake::Cancel() {
    m_sources.clear();
}

bool RecipientIntake::Step(int maxRows) {
    int budget = std::max(1, maxRows);
    while (budget > 0 && !m_sources.empty()) {
        if (StepSource(*m_sources.front(), budget))
            m_sources.pop_front();
    }
    return !m_sources.empty();
}

void RecipientIntake::Run() {
    while (Step(1 << 20)) {
    }
}

namespace {

// The fast road into the composer's own list: the name stays UTF-8 bytes.
AddNumberResult AddRow(VIRTUAL_LIST& list, VIRTUAL_LIST_BUF* buf, SqlStatement& st, int nameColumn,
                       int idColumn) {
    sqlite3_stmt* h = st.handle();
    const auto* number = reinterpret_cast<const char*>(sqlite3_column_text(h, 0));
    const int numberBytes = sqlite3_column_bytes(h, 0);
    const NumberAcceptance accepted =
        AcceptNumber(std::string_view(number ? number : "", static_cast<size_t>(numberBytes)));
    if (const auto result = NotAdded(accepted))
        return *result;
    const int contactId = idColumn >= 0 ? sqlite3_column_int(h, idColumn) : 0;
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(h, nameColumn));
    const std::string_view nameBytes(name ? name : "",
                                     static_cast<size_t>(sqlite3_column_bytes(h, nameColumn)));
    if (buf)
        return buf->Append(accepted.key, nameBytes, contactId) ? AddNumberResult::Added
                                                               : AddNumberResult::Duplicate;
    return AddRecipientKey(list, accepted.key,
                           QString::fromUtf8(nameBytes.data(), static_cast<qsizetype>(nameBytes.size())),
                           contactId);
}

} // namespace

// True when the source is exhausted (or failed).
bool RecipientIntake::StepSource(Source& source, int& budget) {
    if (source.kind == Source::Kind::Triples) {
        while (budget > 0 && source.next < source.triples.size()) {
            const RecipientTriple& t = source.triples[source.next++];
            m_counts.Count(AddRecipientNumber(m_list, t.number, t.name, t.contactId));
            --budget;
        }
        return source.next >= source.triples.size();
    }

    if (!source.started) {
        source.started = true;
        QString text;
        if (source.kind == Source::Kind::Selection) {
            const QString from = ContactSelection::FromClause(source.selection.Statement());
            if (!from.isEmpty())
                text = QStringLiteral("SELECT mobileNum,name,perNO,rowid %1").arg(from);
        } else {
            text = source.statementText;
        }
        if (!text.isEmpty() && source.db)
            source.statement = std::make_unique<SqlStatement>(source.db, text.toStdString());
        if (!source.statement || !source.statement->ok()) {
            m_queryFailed = true;
            LogWrite(g_logRun, "用传递过来的SQL查询联系人出错了");
            return true;
        }
    }

    auto* buf = dynamic_cast<VIRTUAL_LIST_BUF*>(&m_list);
    SqlStatement& st = *source.statement;
    const bool selection = source.kind == Source::Kind::Selection;
    while (budget > 0) {
        const int rc = st.step();
        if (rc == SQLITE_DONE)
            return true;
        if (rc != SQLITE_ROW) {
            m_queryFailed = true;
            LogWrite(g_logRun, "用传递过来的SQL查询联系人出错了");
            return true;
        }
        // Every row read costs, ticked or not, so a sparse selection still
        // hands control back.
        --budget;
        if (selection && !source.selection.IsTicked(st.int64(3)))
            continue;
        m_counts.Count(AddRow(m_list, buf, st, 1, selection ? 2 : -1));
    }
    return false;
}
