#pragma once
// The size checks of an MMS against the installation's limit, shared by the
// preview and the submission: each frame's picture and sound must open and
// stay within the limit, and so must the whole message.
#include "service/mms_content.h"

#include <QStringList>

#include <vector>

struct MmsSizeReport {
    // Text bytes (code page 936) plus the sizes of the files that opened.
    qint64 totalBytes = 0;
    // The messages, in frame order, the whole message's last:
    // "第%d帧图片文件打开失败", "第%d帧图片大小超过%dK",
    // "第%d帧声音文件打开失败", "第%d帧声音文件大小超过%dK", "本条彩信超过%dK".
    QStringList problems;
    bool ok() const { return problems.isEmpty(); }
};

// Checks `frames` against `limitBytes` (the "K" in the texts is the limit /
// 1024, rounded down). Only file sizes are read, never the pictures.
MmsSizeReport CheckMmsSizes(const std::vector<MMSCONTENT>& frames, qint64 limitBytes);
