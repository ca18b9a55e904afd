// Placeholder until the start window lands: no window, no login.
#include "app/gui/start_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPaintEvent>

CdlgStartWnd::CdlgStartWnd(QWidget* parent) : QDialog(parent) {}
CdlgStartWnd::~CdlgStartWnd() = default;
std::unique_ptr<QStringList> CdlgStartWnd::takeLoginResult() { return std::move(m_loginResult); }
void CdlgStartWnd::paintEvent(QPaintEvent* event) { QDialog::paintEvent(event); }
void CdlgStartWnd::keyPressEvent(QKeyEvent* event) { event->ignore(); }
void CdlgStartWnd::closeEvent(QCloseEvent* event) { event->ignore(); }
void CdlgStartWnd::OnInitDialog() {}
void CdlgStartWnd::OnTimer() {}
bool CheckForUpdate() { return false; }
