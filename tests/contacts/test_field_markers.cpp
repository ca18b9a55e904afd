#include "contacts/field_markers.h"

#include <gtest/gtest.h>

namespace {
TEST(FieldHelpers, FieldMarkers) {
    struct Case {
        const char* text;
        QStringList expected;
    };
    const Case cases[] = {
        {"<%姓名%>您好,<%性别%>", {QStringLiteral("姓名"), QStringLiteral("性别")}},
        {"尊敬的<%姓名", {}},
        {"<%a%> and <%b", {QStringLiteral("a")}},
        {"%> first <%a%>", {QStringLiteral("a")}},
        {"<%%>", {QString()}},
        {"no markers", {}},
    };
    for (const Case& c : cases) {
        QStringList out;
        ExtractFieldTokens(QString::fromUtf8(c.text), out);
        EXPECT_EQ(out, c.expected) << c.text;
    }
}
} // namespace
