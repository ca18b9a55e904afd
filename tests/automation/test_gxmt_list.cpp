// The personalised submission's lists keep one item per recipient, whatever
// the texts hold.
#include "sms/gxmt_list.h"

#include <QStringList>
#include <gtest/gtest.h>

TEST(TimedSubmissionLists, ItemsStayWholeAndTheListsAlign) {
    const std::vector<GxmtItem> items = {
        {"13800000001", QStringLiteral("王五, 生日快乐"), "2025-05-01 09:00:00"},
        {"13800000002", QStringLiteral("It's \"you\"%"), "2025-05-02 09:00:00"},
    };
    const GxmtLists lists = JoinGxmtItems(items);
    EXPECT_EQ(lists.numbers, "13800000001,13800000002");
    EXPECT_EQ(lists.times, "2025-05-01 09:00:00,2025-05-02 09:00:00");
    const QStringList contents = lists.contents.split(',');
    ASSERT_EQ(contents.size(), 2);
    // Code page 936 bytes, URL-encoded: the comma of the first text is %2C.
    EXPECT_TRUE(contents[0].contains("%2C")) << contents[0].toStdString();
    EXPECT_EQ(contents[1], GxmtContent(QStringLiteral("It's \"you\"%")));
    EXPECT_FALSE(contents[1].contains('\'') || contents[1].contains('"'));

    EXPECT_TRUE(JoinGxmtItems({{"1", "a", ""}}).times.isEmpty()) << "sent now: no time list";
}
