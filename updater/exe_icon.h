#pragma once
// The OEM's icon for the program: on a Windows executable the icon images
// inside its resources are overwritten with the .ico's images of the same
// size and depth; for the Linux program the .ico's largest image becomes a
// PNG for the desktop entry.
#include <QString>

// Rewrites `exePath` with every icon image that `icoPath` holds in the same
// bit count, width and height replaced. The file's layout and size never
// change, and it is replaced by a complete copy ("<exe>.Modified" renamed
// over it, mode kept), never edited in place. Problems are reported in a
// "warning" box. A file that does not start with "MZ" (a Linux executable)
// is left alone without a box. True when the executable was rewritten.
bool ReplaceExeIcon(const QString& icoPath, const QString& exePath);

// Saves the largest image of `icoPath` as a PNG at `pngPath`. False when no
// image could be read or the PNG could not be written.
bool MakeLogoPng(const QString& icoPath, const QString& pngPath);
