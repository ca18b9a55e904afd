#include "core/sys_settings.h"

#include "platform/ini.h"

namespace {

const QString kSysSection = QStringLiteral("SysSetting");
const QString kPrefixSection = QStringLiteral("SMPre");
const QString kGroupSection = QStringLiteral("GroupName");

QString Flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// A count box is read as a number the way a dialog reads one: text that is
// no number counts as 0.
int Number(const QString& text) {
    return text.trimmed().toInt();
}

bool IsLineBreak(QChar c) {
    return c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::ParagraphSeparator ||
           c == QChar::LineSeparator;
}

bool Write(const QString& path, const QString& section, const std::vector<ini::KeyValue>& values) {
    return ini::WriteStrings(path, section, values);
}

} // namespace

SysSettingValues ReadSysSettingValues(const std::vector<SYSSETTING>* settings, const QString& iniPath) {
    SysSettingValues v;
    auto entry = [settings](size_t i) -> const SYSSETTING* {
        return settings && i < settings->size() ? &(*settings)[i] : nullptr;
    };
    auto flag = [&](size_t i) { return entry(i) && entry(i)->flag != 0; };
    auto text = [&](size_t i) { return entry(i) ? entry(i)->text : QString(); };

    v.autoReceive = flag(0);
    v.receiveSeconds = text(0);
    v.autoReply = flag(1);
    v.replyText = text(1);
    v.autoForward = flag(2);
    v.forwardNumbers = SplitForwardNumbers(text(2));
    v.splashText = text(3);
    v.sound = flag(4);
    v.soundPath = text(4);
    v.birthday = flag(5);
    v.birthdayDays = text(5);
    v.noBackupPrompt = flag(6);
    v.transpondName = flag(7);
    v.diySmsCount = flag(8);
    v.smsCount = text(8);
    v.diyPerMsgCount = flag(9);
    v.perMsgCount = text(9);

    v.startTime = ini::ReadString(iniPath, kSysSection, QStringLiteral("StartTime"), QString(), 100);
    v.endTime = ini::ReadString(iniPath, kSysSection, QStringLiteral("EndTime"), QString(), 100);
    v.skipWeekend = ini::ReadInt(iniPath, kSysSection, QStringLiteral("Auto100"), 0) != 0;

    v.prefixInUse = ini::ReadString(iniPath, kPrefixSection, QStringLiteral("inUse"), QString(), 10) ==
                    QLatin1String("1");
    v.showPartNumber = true;
    v.pre1 = ini::ReadString(iniPath, kPrefixSection, QStringLiteral("pre1"));
    v.pre2 = ini::ReadString(iniPath, kPrefixSection, QStringLiteral("pre2"));
    v.pre3 = ini::ReadString(iniPath, kPrefixSection, QStringLiteral("pre3"));
    v.showPartCount = ini::ReadInt(iniPath, kPrefixSection, QStringLiteral("bHasB"), 0) != 0;

    for (int i = 0; i < kGroupNameCount; ++i)
        v.groupNames << ini::ReadString(iniPath, kGroupSection, QStringLiteral("Name%1").arg(i));
    return v;
}

QString NormalizeReplyText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            continue; // CR LF is one break, one blank
        out += IsLineBreak(c) ? QChar(QLatin1Char(' ')) : c;
    }
    if (out.size() > kMaxReplyLength) {
        qsizetype cut = kMaxReplyLength;
        // Half a character would be sent as garbage.
        if (out[cut - 1].isHighSurrogate() && out[cut].isLowSurrogate())
            --cut;
        out.truncate(cut);
    }
    return out;
}

QString JoinForwardNumbers(const QString& lines) {
    QString out = lines;
    out.replace(QLatin1String("\r\n"), QLatin1String(","));
    for (QChar& c : out)
        if (IsLineBreak(c))
            c = QLatin1Char(',');
    return out;
}

QString SplitForwardNumbers(const QString& stored) {
    QString out = stored;
    out.replace(QLatin1Char(','), QLatin1Char('\n'));
    return out;
}

int CheckSmsPrefix(bool inUse, bool showPartNumber, const QString& pre1, const QString& pre3) {
    if (inUse && !showPartNumber)
        return 319;
    const bool digitFirst =
        (!pre1.isEmpty() && pre1.front().isDigit()) || (!pre3.isEmpty() && pre3.front().isDigit());
    if (digitFirst)
        return 320;
    if (pre1 == QLatin1String("(") && pre3 == QLatin1String(")"))
        return 321;
    return 0;
}

int SaveSysSettings(const QString& path, const SysSettingValues& v) {
    using KV = ini::KeyValue;

    if (v.autoReceive && Number(v.receiveSeconds) < 5)
        return 313;
    if (!Write(path, kSysSection, {KV{"Auto1", Flag(v.autoReceive)}, KV{"Content1", v.receiveSeconds}}))
        return kSysSettingsWriteFailed;

    if (v.autoReply && v.replyText.isEmpty())
        return 314;
    if (!Write(path, kSysSection, {KV{"Auto2", Flag(v.autoReply)}, KV{"Content2", v.replyText}}))
        return kSysSettingsWriteFailed;

    if (!Write(path, kSysSection,
               {KV{"Auto3", Flag(v.autoForward)}, KV{"Content3", JoinForwardNumbers(v.forwardNumbers)},
                KV{"Auto4", "0"}, KV{"Content4", v.splashText}}))
        return kSysSettingsWriteFailed;

    if (v.sound && v.soundPath.isEmpty())
        return 315;
    if (!Write(path, kSysSection, {KV{"Auto5", Flag(v.sound)}, KV{"Content5", v.soundPath}}))
        return kSysSettingsWriteFailed;

    if (v.birthday && (Number(v.birthdayDays) < 0 || Number(v.birthdayDays) > 30))
        return 316;
    if (!Write(path, kSysSection,
               {KV{"Auto6", Flag(v.birthday)}, KV{"Content6", v.birthdayDays},
                KV{"Auto7", Flag(v.noBackupPrompt)}, KV{"Content7", QString()},
                KV{"TranspondName", Flag(v.transpondName)}}))
        return kSysSettingsWriteFailed;

    if (v.diySmsCount && Number(v.smsCount) < 1)
        return 317;
    if (!Write(path, kSysSection, {KV{"DIYSmsCount", Flag(v.diySmsCount)}, KV{"SmsCount", v.smsCount}}))
        return kSysSettingsWriteFailed;
    if (v.diyPerMsgCount && Number(v.perMsgCount) < 1)
        return 317;
    if (!Write(path, kSysSection,
               {KV{"DIYPerMsgCount", Flag(v.diyPerMsgCount)}, KV{"PerMsgCount", v.perMsgCount}}))
        return kSysSettingsWriteFailed;

    if (!Write(path, kSysSection, {KV{"StartTime", v.startTime}, KV{"EndTime", v.endTime}}))
        return kSysSettingsWriteFailed;

    if (!Write(path, kPrefixSection, {KV{"inUse", Flag(v.prefixInUse)}}))
        return kSysSettingsWriteFailed;
    if (const int refusal = CheckSmsPrefix(v.prefixInUse, v.showPartNumber, v.pre1, v.pre3))
        return refusal;
    if (!Write(
            path, kPrefixSection,
            {KV{"pre1", v.pre1}, KV{"pre2", v.pre2}, KV{"pre3", v.pre3}, KV{"bHasB", Flag(v.showPartCount)}}))
        return kSysSettingsWriteFailed;

    std::vector<KV> names;
    for (int i = 0; i < kGroupNameCount; ++i)
        names.push_back(KV{QStringLiteral("Name%1").arg(i), v.groupNames.value(i)});
    if (!Write(path, kGroupSection, names) || !Write(path, kSysSection, {KV{"Auto100", Flag(v.skipWeekend)}}))
        return kSysSettingsWriteFailed;
    return 0;
}
