#include "sms/sms_numbering.h"

#include "platform/ini.h"

namespace {
bool Custom(const SmsNumbering& n) { return n.inUse == QLatin1String("1"); }
} // namespace

SmsNumbering ReadSmsNumbering(const QString& iniPath) {
    const QString section = QStringLiteral("SMPre");
    SmsNumbering n;
    n.inUse = ini::ReadString(iniPath, section, QStringLiteral("inUse"), QString(), 10);
    n.pre1 = ini::ReadString(iniPath, section, QStringLiteral("pre1"), QString(), 10);
    n.pre2 = ini::ReadString(iniPath, section, QStringLiteral("pre2"), QString(), 10);
    n.pre3 = ini::ReadString(iniPath, section, QStringLiteral("pre3"), QString(), 10);
    n.bHasB = ini::ReadInt(iniPath, section, QStringLiteral("bHasB"), 0);
    return n;
}

QString FormatSmsNumbering(const SmsNumbering& n, int part, int count) {
    if (!Custom(n))
        return QStringLiteral("[%1/%2]").arg(part).arg(count);
    return n.pre1 + QString::number(part) + n.pre2 + (n.bHasB ? QString::number(count) : QString()) + n.pre3;
}

int SmsNumberingReservedLength(const SmsNumbering& n) {
    if (!Custom(n))
        return 5;
    return int(n.pre1.size() + n.pre2.size() + n.pre3.size()) + 1 + (n.bHasB ? 1 : 0);
}
