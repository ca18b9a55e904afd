#pragma once
// The size of an MMS and the checks of its files against the installation's
// size limit (g_nMmsMaxSize), shared by the size text, the preview and the
// submission. Only file sizes are read, never the files' bytes.
#include "service/mms_content.h"

#include <QString>
#include <QtGlobal>

#include <vector>

// Bytes of one frame's text in code page 936.
qint64 MmsTextBytes(const QString& text);

// What UpdateSizeText shows: every frame's text in code page 936 bytes plus
// the sizes of its picture and sound files (a missing file counts 0).
qint64 MmsSizeBytes(const std::vector<MMSCONTENT>& frames);
// "%d字节,约%dKB" of MmsSizeBytes.
QString MmsSizeText(const std::vector<MMSCONTENT>& frames);

struct MmsSizeReport {
    qint64 totalBytes = 0;
    std::vector<QString> problems; // formatted texts, in the order found
};

// Checks every frame in order: picture not opened "第%d帧图片文件打开失败",
// picture over the limit "第%d帧图片大小超过%dK", sound not opened
// "第%d帧声音文件打开失败", sound over the limit "第%d帧声音文件大小超过%dK";
// then the total over the limit "本条彩信超过%dK" (K = limit / 1024). With
// `countText` the texts' code page 936 bytes count in the total (preview);
// without, files only (the send check, as the service client counts).
// `skipFieldPaths`: a path holding "<%" is not checked (a personalised
// path, checked per number once its fields are filled).
MmsSizeReport CheckMmsFiles(const std::vector<MMSCONTENT>& frames, qint64 limitBytes, bool countText,
                            bool skipFieldPaths = false);
