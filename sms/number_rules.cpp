#include "sms/number_rules.h"

#include "core/numbers.h"
#include "sms/row_sources.h"

#include <vector>

namespace {

bool IsBlank(char16_t c) {
    return QChar::isSpace(c);
}

NumberAcceptance Accept(std::optional<qint64> key) {
    NumberAcceptance result;
    if (!key) {
        result.check = NumberCheck::Refused;
        return result;
    }
    result.check = NumberCheck::Accepted;
    result.key = *key;
    result.international = IsInternationalKey(*key);
    return result;
}

} // namespace

NumberAcceptance AcceptNumber(QStringView number) {
    qsizetype begin = 0;
    qsizetype end = number.size();
    while (begin < end && IsBlank(number[begin].unicode()))
        ++begin;
    while (end > begin && IsBlank(number[end - 1].unicode()))
        --end;
    if (begin == end)
        return {};
    return Accept(RecipientNumberKey(number.mid(begin, end - begin)));
}

NumberAcceptance AcceptNumber(std::string_view utf8) {
    size_t begin = 0;
    size_t end = utf8.size();
    const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (begin < end && blank(utf8[begin]))
        ++begin;
    while (end > begin && blank(utf8[end - 1]))
        --end;
    if (begin == end)
        return {};
    // Any byte outside ASCII refuses the number anyway, so the bytes need no
    // decoding (a wide blank among them refuses too, as the text form does
    // only at the ends: numbers from the database hardly carry those).
    return Accept(RecipientNumberKey(utf8.substr(begin, end - begin)));
}

std::optional<AddNumberResult> NotAdded(const NumberAcceptance& accepted) {
    switch (accepted.check) {
    case NumberCheck::Empty:
        return AddNumberResult::Empty;
    case NumberCheck::Refused:
        return AddNumberResult::Refused;
    case NumberCheck::Accepted:
        break;
    }
    return std::nullopt;
}

AddNumberResult AddRecipientKey(VIRTUAL_LIST& list, qint64 key, const QString& name, int contactId) {
    if (list.Lookup(key, nullptr))
        return AddNumberResult::Duplicate;
    if (!list.SetItem(list.GetCount(), &key, &name, contactId))
        return AddNumberResult::Failed;
    return AddNumberResult::Added;
}

AddNumberResult AddRecipientNumber(VIRTUAL_LIST& list, QStringView number, const QString& name,
                                   int contactId) {
    const NumberAcceptance accepted = AcceptNumber(number);
    if (const auto result = NotAdded(accepted))
        return *result;
    return AddRecipientKey(list, accepted.key, name, contactId);
}

void AddNumberCounts::Count(AddNumberResult result) {
    switch (result) {
    case AddNumberResult::Added:
        ++added;
        break;
    case AddNumberResult::Empty:
        ++empty;
        break;
    case AddNumberResult::Refused:
        ++refused;
        break;
    case AddNumberResult::Duplicate:
        ++duplicates;
        break;
    case AddNumberResult::Failed:
        ++failed;
        break;
    }
}

bool IsPhsKeptKey(qint64 key) {
    return key >= 10000000000LL && key <= 19999999999LL;
}

int FilterPhsNumbers(VIRTUAL_LIST& list) {
    std::vector<int> drop;
    const int count = list.GetCount();
    for (int i = 0; i < count; ++i)
        if (!IsPhsKeptKey(list.GetKey(i)))
            drop.push_back(i);
    return list.RemoveRows(drop);
}

QString DisplayNumber(qint64 key, bool unmasked) {
    const QString number = NumberFromKey(key);
    return unmasked ? number : MaskNumber(number);
}

QString DisplayName(const VIRTUAL_LIST& list, int i, bool unmasked) {
    qint64 key = -1;
    QString name;
    if (list.GetRow(i, &key, &name) && !name.isEmpty())
        return name;
    if (i < 0 || i >= list.GetCount())
        return {};
    return DisplayNumber(list.GetKey(i), unmasked);
}
