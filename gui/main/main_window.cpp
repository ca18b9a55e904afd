#include "gui/main/main_window.h"

#include "core/app_globals.h"
#include "core/helpers.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

QString MainWindowTitle(const QStringList* rights) {
    const QString kind = rights && !rights->isEmpty() ? rights->front() : QString();
    QString who;
    if (kind.startsWith(QLatin1String("OP")))
        who = QCoreApplication::translate("CCorvelaneDlg", "操作员");
    else if (kind.startsWith(QLatin1String("AD")))
        who = QCoreApplication::translate("CCorvelaneDlg", "管理员");
    // The translated text keeps the two "%s" of its source.
    const QString format = QCoreApplication::translate("CCorvelaneDlg", "%s 当前登录权限--%s");
    const QStringList parts = format.split(QLatin1String("%s"));
    if (parts.size() != 3)
        return g_strAppTitle;
    return parts[0] + g_strAppTitle + parts[1] + who + parts[2];
}

CCorvelaneDlg::CCorvelaneDlg(std::unique_ptr<QStringList> loginRights, QWidget* parent) : QDialog(parent) {
    g_pLoginRights = std::move(loginRights);
    setObjectName(QStringLiteral("CCorvelaneDlg"));
    setWindowTitle(MainWindowTitle(g_pLoginRights.get()));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(
        QCoreApplication::translate("CCorvelaneDlg", "主窗口将在后续版本中提供。"), this);
    note->setObjectName(QStringLiteral("placeholderNote"));
    layout->addWidget(note);
    resize(640, 400);
}

CCorvelaneDlg::~CCorvelaneDlg() = default;
