#include "gui/automation/date_msg_setting_dialog.h"

CDlgDateMSGSetting::CDlgDateMSGSetting(std::vector<DATEMSGVALUE>* settings, QWidget* mainWindow)
    : PlaceholderDialog(mainWindow, "CDlgDateMSGSetting",
                        QT_TRANSLATE_NOOP("CDlgDateMSGSetting", "设置日期类型短信")),
      m_settings(settings) {}
