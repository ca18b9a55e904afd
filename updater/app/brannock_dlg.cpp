#include "updater/app/brannock_dlg.h"

#include "platform/msgbox.h"
#include "ui_brannock_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace {

// The side picture: our own, drawn rather than shipped.
QPixmap SidePicture() {
    QPixmap picture(110, 260);
    picture.fill(QColor(0x2a, 0x5d, 0x8f));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(55, 70 + i * 45), 34 - i * 6, 34 - i * 6);
    p.setBrush(Qt::white);
    const QPointF arrow[] = {{55, 150}, {35, 120}, {47, 120}, {47, 90}, {63, 90}, {63, 120}, {75, 120}};
    p.drawPolygon(arrow, 7);
    return picture;
}

QIcon WindowIcon(const QString& programFolder) {
    const QIcon oem(programFolder + QStringLiteral("/OEM/Logo.ico"));
    if (!oem.isNull() && !oem.availableSizes().isEmpty())
        return oem;
    QPixmap icon(32, 32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x2a, 0x5d, 0x8f));
    p.setPen(Qt::NoPen);
    p.drawEllipse(1, 1, 30, 30);
    p.setBrush(Qt::white);
    const QPointF arrow[] = {{16, 26}, {8, 15}, {13, 15}, {13, 6}, {19, 6}, {19, 15}, {24, 15}};
    p.drawPolygon(arrow, 7);
    return QIcon(icon);
}

} // namespace

CBrannockDlg::CBrannockDlg(const QString& updateAddress, const QString& programFolder, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CBrannockDlg>()), m_engine(*this, programFolder, true) {
    m_ui->setupUi(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        const QVariant id = child->property("controlId");
        if (id.isValid())
            child->setObjectName(id.toString());
    }
    setWindowIcon(WindowIcon(programFolder));
    m_ui->picture->setPixmap(SidePicture());
    connect(m_ui->okButton, &QPushButton::clicked, this, &CBrannockDlg::onOk);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CBrannockDlg::cancelOrStop);
    m_engine.Start(updateAddress);
    QTimer::singleShot(500, this, &CBrannockDlg::onCheckTimer);
}

CBrannockDlg::~CBrannockDlg() {
    if (m_busyCursor)
        QApplication::restoreOverrideCursor();
}

void CBrannockDlg::onCheckTimer() {
    m_engine.CheckUpdate();
    if (m_closeAfterCheck)
        m_engine.OnBnClickedCancel();
}

void CBrannockDlg::onOk() {
    m_engine.DoUpdate();
}

void CBrannockDlg::cancelOrStop() {
    switch (m_engine.phase()) {
    case CBrannockEngine::Phase::Checking:
        // The window closes once the transfer has unwound.
        m_closeAfterCheck = true;
        m_engine.RequestAbort();
        break;
    case CBrannockEngine::Phase::Updating:
        m_engine.RequestAbort();
        break;
    case CBrannockEngine::Phase::Idle:
        m_engine.OnBnClickedCancel();
        break;
    }
}

void CBrannockDlg::reject() {
    cancelOrStop();
}

void CBrannockDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    cancelOrStop();
}

void CBrannockDlg::SetStatusText(const QString& text) {
    m_ui->statusLine->setText(text);
}

void CBrannockDlg::SetProgress(int percent) {
    m_ui->progress->setValue(percent);
}

void CBrannockDlg::ProcessEvents() {
    QCoreApplication::processEvents();
}

void CBrannockDlg::AddRow(const QString& name, const QString& status) {
    auto* item = new QTreeWidgetItem(m_ui->fileList);
    item->setText(0, name);
    item->setText(1, status);
}

void CBrannockDlg::SetRowStatus(int row, const QString& status) {
    if (QTreeWidgetItem* item = m_ui->fileList->topLevelItem(row))
        item->setText(1, status);
}

void CBrannockDlg::ShowFileColumns() {
    QTreeWidget* list = m_ui->fileList;
    list->setColumnCount(2);
    list->setHeaderLabels({QStringLiteral("文件名"), QStringLiteral("状态")});
    list->setHeaderHidden(false);
    list->setColumnWidth(0, 130);
    list->setColumnWidth(1, 70);
}

void CBrannockDlg::ShowChangeList(const QStringList& lines) {
    QTreeWidget* list = m_ui->fileList;
    list->clear();
    list->setColumnCount(1);
    list->setHeaderLabels({QStringLiteral("     修改内容")});
    list->setHeaderHidden(false);
    list->setColumnWidth(0, 400);
    for (const QString& line : lines)
        new QTreeWidgetItem(list, QStringList{line});
}

void CBrannockDlg::EnableOk(bool enabled) {
    m_ui->okButton->setEnabled(enabled);
}

void CBrannockDlg::SetCancelCaption(const QString& caption) {
    m_ui->cancelButton->setText(caption);
}

void CBrannockDlg::SetBusy(bool busy) {
    if (busy == m_busyCursor)
        return;
    m_busyCursor = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void CBrannockDlg::EndDialog(int result) {
    done(result);
}
