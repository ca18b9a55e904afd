#include "tests/support/contact_generator.h"

#include "core/sql.h"

#include <gtest/gtest.h>

namespace {

const char16_t kSurnames[] = u"张李王赵钱孙周吴郑冯陈褚卫蒋沈韩杨朱秦尤许何吕施";
const char16_t kGiven[] = u"一二三四五六七八九十明华强伟芳娜敏静丽军";
// GBK-extension characters (lead bytes 0x81-0xA0): outside the pinyin table.
const char16_t kExtension[] = u"丂丄丅丆丏丒丗丟丠両";
const char* const kLatin[] = {"Alice", "bob", "Carol", "dave", "Eve", "frank", "Grace", "heidi"};

} // namespace

QString GeneratedName(int i) {
    const int kind = i % 10;
    if (kind == 8)
        return QString::fromLatin1(kLatin[(i / 10) % 8]) + QString::number(i);
    if (kind == 9)
        return QString(QChar(kExtension[(i / 10) % 10])) + QChar(kGiven[i % 20]);
    return QString(QChar(kSurnames[(i / 7) % 24])) + QChar(kGiven[(i / 3) % 20]) + QChar(kGiven[i % 20]);
}

QString GeneratedNumber(int i) {
    // Every seventh row repeats the number of the row three before it.
    const int n = (i % 7 == 6 && i >= 3) ? i - 3 : i;
    return QStringLiteral("139%1").arg(n, 8, 10, QLatin1Char('0'));
}

GeneratedContacts GenerateContacts(int count, int groupId, sqlite3* db) {
    GeneratedContacts out;
    out.count = count;
    out.firstPerNo = AllocateId(db, "ContactList", "perNO", count > 0 ? count : 1);
    SqlTransaction tx(db);
    EXPECT_TRUE(tx.active());
    SqlStatement st(db,
                    "INSERT INTO ContactList (name, sex, mobileNum, groupID, perNO, isDeleted, displayIndex, "
                    "eMail) VALUES (?, ?, ?, ?, ?, 0, ?, ?)");
    EXPECT_TRUE(st.ok());
    for (int i = 0; i < count; ++i) {
        st.reset();
        st.bind(1, GeneratedName(i))
            .bind(2, i % 2 ? "男" : "女")
            .bind(3, GeneratedNumber(i))
            .bind(4, groupId)
            .bind(5, static_cast<int64_t>(out.firstPerNo + i))
            .bind(6, i / 3)
            .bind(7, QStringLiteral("u%1@example.invalid").arg(i));
        if (st.step() != SQLITE_DONE) {
            ADD_FAILURE() << "insert of generated contact " << i << " failed";
            return out;
        }
    }
    EXPECT_EQ(tx.commit(), SQLITE_OK);
    return out;
}
