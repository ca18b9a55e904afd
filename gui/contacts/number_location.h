#pragma once
// "手机号归属地查询": the outside page on which the user looks up where a
// mobile number is registered. There is no browser view in the program, so
// the page opens in the user's browser and no window of ours is shown.
#include <QString>

class QWidget;

class CDlgTelNumAttri {
public:
    // "http://<host>/Locating/query.aspx?m=" for [Deployment]
    // NumberLocationHost; empty while the host is not configured (the
    // default under ".invalid").
    static QString PageUrl();
    // Opens the page. Says "手机号归属地查询地址未配置" when the host is not
    // configured and "无法打开网页" when the page could not be opened; false
    // then.
    static bool Open(QWidget* parent);
};

// What the main window's menu command calls.
inline void OpenNumberLocation(QWidget* parent) {
    CDlgTelNumAttri::Open(parent);
}
