#include "channels/mms_size_check.h"

#include "platform/encoding.h"

#include <QCoreApplication>
#include <QFile>

#include <optional>

namespace {

// The size of a file that can be opened for reading; none otherwise.
std::optional<qint64> OpenableFileSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.size();
}

// The texts keep their "%d" placeholders; the numbers go in from left to right.
QString Tr(const char* text, int first, int second = -1) {
    QString result = QCoreApplication::translate("MmsSizeCheck", text);
    result.replace(result.indexOf(QLatin1String("%d")), 2, QString::number(first));
    if (second >= 0)
        result.replace(result.indexOf(QLatin1String("%d")), 2, QString::number(second));
    return result;
}

} // namespace

MmsSizeReport CheckMmsSizes(const std::vector<MMSCONTENT>& frames, qint64 limitBytes) {
    MmsSizeReport report;
    const int limitK = static_cast<int>(limitBytes / 1024);
    int number = 0;
    for (const MMSCONTENT& frame : frames) {
        ++number;
        report.totalBytes += static_cast<qint64>(enc::ToGbk(frame.text).size());
        if (!frame.picturePath.isEmpty()) {
            if (const auto size = OpenableFileSize(frame.picturePath)) {
                report.totalBytes += *size;
                if (*size > limitBytes)
                    report.problems << Tr("第%d帧图片大小超过%dK", number, limitK);
            } else {
                report.problems << Tr("第%d帧图片文件打开失败", number);
            }
        }
        if (!frame.soundPath.isEmpty()) {
            if (const auto size = OpenableFileSize(frame.soundPath)) {
                report.totalBytes += *size;
                if (*size > limitBytes)
                    report.problems << Tr("第%d帧声音文件大小超过%dK", number, limitK);
            } else {
                report.problems << Tr("第%d帧声音文件打开失败", number);
            }
        }
    }
    if (report.totalBytes > limitBytes)
        report.problems << Tr("本条彩信超过%dK", limitK);
    return report;
}
