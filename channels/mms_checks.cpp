#include "channels/mms_checks.h"

#include "platform/encoding.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("MmsChecks", text);
}

// The size of a file that opens for reading, or -1.
qint64 OpenableSize(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return -1;
    return info.size();
}

} // namespace

qint64 MmsTextBytes(const QString& text) {
    return static_cast<qint64>(enc::ToGbk(text).size());
}

qint64 MmsSizeBytes(const std::vector<MMSCONTENT>& frames) {
    qint64 total = 0;
    for (const MMSCONTENT& frame : frames) {
        total += MmsTextBytes(frame.text);
        for (const QString* path : {&frame.picturePath, &frame.soundPath})
            if (!path->isEmpty())
                total += std::max<qint64>(0, OpenableSize(*path));
    }
    return total;
}

QString MmsSizeText(const std::vector<MMSCONTENT>& frames) {
    const qint64 total = MmsSizeBytes(frames);
    return Tr("%1字节,约%2KB").arg(total).arg(total / 1024);
}

MmsSizeReport CheckMmsFiles(const std::vector<MMSCONTENT>& frames, qint64 limitBytes, bool countText,
                            bool skipFieldPaths) {
    MmsSizeReport report;
    const qint64 limitK = limitBytes / 1024;
    int number = 0;
    for (const MMSCONTENT& frame : frames) {
        ++number;
        if (countText)
            report.totalBytes += MmsTextBytes(frame.text);
        struct Part {
            const QString& path;
            const char* notOpened;
            const char* tooLarge;
        } parts[] = {{frame.picturePath, QT_TRANSLATE_NOOP("MmsChecks", "第%1帧图片文件打开失败"),
                      QT_TRANSLATE_NOOP("MmsChecks", "第%1帧图片大小超过%2K")},
                     {frame.soundPath, QT_TRANSLATE_NOOP("MmsChecks", "第%1帧声音文件打开失败"),
                      QT_TRANSLATE_NOOP("MmsChecks", "第%1帧声音文件大小超过%2K")}};
        for (const Part& part : parts) {
            if (part.path.isEmpty() || (skipFieldPaths && part.path.contains(QLatin1String("<%"))))
                continue;
            const qint64 size = OpenableSize(part.path);
            if (size < 0) {
                report.problems.push_back(Tr(part.notOpened).arg(number));
                continue;
            }
            report.totalBytes += size;
            if (size > limitBytes)
                report.problems.push_back(Tr(part.tooLarge).arg(number).arg(limitK));
        }
    }
    if (report.totalBytes > limitBytes)
        report.problems.push_back(Tr("本条彩信超过%1K").arg(limitK));
    return report;
}
