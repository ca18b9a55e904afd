#include "tests/support/contacts_fixture.h"

#include "core/sql.h"

#include <gtest/gtest.h>

namespace {

const char kFixture[] = R"SQL(
DELETE FROM ContactGroup;
INSERT INTO ContactGroup (GroupID, GroupName, MasterID) VALUES
  (1, 'A', 0), (2, 'B', 1), (3, 'C', 2), (4, 'D', 0), (5, 'E', 99);
DELETE FROM ContactList;
INSERT INTO ContactList (name, sex, mobileNum, groupID, perNO, isDeleted, displayIndex, txtDef2, boolDef1) VALUES
  ('张三', '男', '13800000001', 1, 1, 0, 1, '旧值', '是'),
  ('张三', '男', '13800000001', 2, 1, 0, 2, '旧值', '是'),
  ('李四', '女', '13800000002', 1, 2, 0, 3, NULL, NULL),
  ('李四', '女', '13800000002', 3, 3, 0, 4, NULL, NULL),
  ('李四', '女', '13800000002', 4, 4, 0, 5, NULL, NULL),
  ('甲', '', '13900000001', 4, 5, 0, 7, NULL, NULL),
  ('乙', '', '13900000002', 4, 6, 0, 7, NULL, NULL),
  ('丙', '', '13900000003', 4, 7, 0, 7, NULL, NULL),
  ('丁', '', '13900000004', 4, 8, 0, 7, NULL, NULL),
  ('戊', '', '13900000005', 4, 9, 0, 7, NULL, NULL);
DELETE FROM CityInfo;
INSERT INTO CityInfo (Province, City) VALUES
  ('一城省', '独城市'), ('两城省', '甲市'), ('两城省', '乙市');
UPDATE fieldDisplay SET name='爱好', inUse=1, isVisible=1 WHERE fieldID=21;
UPDATE fieldDisplay SET name='会员', inUse=1, isVisible=1 WHERE fieldID=31;
UPDATE fieldDisplay SET name='旧字段', inUse=0, isVisible=0 WHERE fieldID=22;
CREATE TRIGGER IF NOT EXISTS fail_insert BEFORE INSERT ON ContactList WHEN NEW.name='FAIL'
  BEGIN SELECT RAISE(ABORT, 'x'); END;
CREATE TRIGGER IF NOT EXISTS fail_update BEFORE UPDATE ON ContactList WHEN NEW.name='FAIL'
  BEGIN SELECT RAISE(ABORT, 'x'); END;
)SQL";

} // namespace

void LoadContactsFixture(sqlite3* db) {
    std::string error;
    ASSERT_EQ(ExecSql(&error, db, kFixture), SQLITE_OK) << error;
}

qint64 FixtureRowid(const QString& mobile, int group, sqlite3* db) {
    SqlStatement st(db, "SELECT rowid FROM ContactList WHERE mobileNum=? AND groupID=? ORDER BY rowid LIMIT 1");
    st.bind(1, mobile).bind(2, group);
    return st.step() == SQLITE_ROW ? st.int64(0) : 0;
}
