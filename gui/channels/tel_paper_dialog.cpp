#include "gui/channels/tel_paper_dialog.h"

CDlgTelPaper::CDlgTelPaper(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgTelPaper", QT_TRANSLATE_NOOP("CDlgTelPaper", "生成手机报")) {}
