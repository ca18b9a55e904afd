#include "automation/date_msg_settings.h"

#include "core/log.h"
#include "core/sql.h"
#include "platform/ini.h"

#include <vector>

namespace {

const QString kSection = QStringLiteral("DateMSG");

QString Key(const char* name, int index) {
    return QLatin1String(name) + QString::number(index + 1);
}

} // namespace

QString DateMsgField(int index) {
    static const char* const fields[kDateMsgCount] = {"birthDay", "specialDay", "dateDef1", "dateDef2"};
    return index >= 0 && index < kDateMsgCount ? QLatin1String(fields[index]) : QString();
}

int SaveDateMsgSettings(const QString& iniPath, const DateMsgValues& values) {
    // An enabled message without a text must not reach the file at all: the
    // next start would send it with whatever content was stored before.
    for (int i = 0; i < kDateMsgCount; ++i) {
        if (values[i].autoSend && values[i].content.trimmed().isEmpty())
            return i + 1;
    }
    std::vector<ini::KeyValue> keys;
    keys.reserve(kDateMsgCount * 5);
    for (int i = 0; i < kDateMsgCount; ++i) {
        const DateMsgGroupValues& v = values[i];
        keys.push_back({Key("Name", i), DateMsgField(i)});
        keys.push_back({Key("AutoSend", i), v.autoSend ? QStringLiteral("1") : QStringLiteral("0")});
        keys.push_back({Key("PreDays", i), v.preDays});
        keys.push_back({Key("SendTime", i), v.sendTime});
        keys.push_back({Key("Content", i), v.content.trimmed()});
    }
    return ini::WriteStrings(iniPath, kSection, keys) ? 0 : kDateMsgWriteFailed;
}

bool ReadDateFieldState(int fieldID, DateFieldState& state, sqlite3* db) {
    state = DateFieldState();
    SqlStatement st(db, "SELECT name,inUse FROM fieldDisplay WHERE  fieldID=? ");
    st.bind(1, fieldID);
    const int rc = st.ok() ? st.step() : SQLITE_ERROR;
    if (rc == SQLITE_ROW) {
        state.name = st.qtext(0);
        state.inUse = st.int64(1) != 0;
        return true;
    }
    if (rc == SQLITE_DONE)
        return true;
    LogWrite(g_logRun, "日期短信查询字段时出错了");
    return false;
}
