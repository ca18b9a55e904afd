#pragma once
// A small address book for the contact tests, loaded into a fresh database:
//   groups A(1) > B(2) > C(3), D(4) at the top, and E(5) under a missing
//   parent (MasterID 99);
//   张三 13800000001, perNO 1, in groups 1 and 2 (one perNO, two rows);
//   李四 13800000002 in groups 1, 3 and 4 (perNO 2, 3, 4);
//   five contacts 甲..戊 (13900000001..5) in group 4, all displayIndex 7;
//   provinces 一城省 (one city 独城市) and 两城省 (甲市, 乙市) only;
//   user fields 21 "爱好" (txtDef1) and 31 "会员" (boolDef1) in use,
//   field 22 "旧字段" (txtDef2) switched off while 张三 still holds "旧值";
//   triggers that abort an insert or update of a contact named "FAIL".
#include "core/database.h"
#include "tests/support/program_folder.h"

#include <QString>

void LoadContactsFixture(sqlite3* db = g_pDB);

// The rowid of the row with this mobile number in this group; 0 when none.
qint64 FixtureRowid(const QString& mobile, int group, sqlite3* db = g_pDB);

// A program folder with the fixture loaded.
class ContactsFixtureTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        LoadContactsFixture();
    }
};
