#include "gui/channels/edit_pic_dialog.h"

#include "channels/mms_preview_files.h"
#include "channels/picture_editing.h"
#include "channels/picture_helpers.h"
#include "core/paths.h"
#include "gui/channels/edit_image_view.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_edit_pic_dialog.h"

#include <QImageReader>
#include <QSignalBlocker>

namespace {

// Where the crop view sits: below the controls, 5 pixels inside the edges.
constexpr int kViewTop = 125;
constexpr int kViewMargin = 5;

} // namespace

CDlgEditPic::CDlgEditPic(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgEditPic>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    m_ui->scaleSlider->setRange(1, 200);
    m_ui->scaleSlider->setTickInterval(5);
    m_ui->scaleSlider->setTickPosition(QSlider::TicksBelow);
    m_ui->scaleSlider->setValue(100);
    m_ui->sizePresets->addItems({tr("--常用规格--"), QStringLiteral("230*230"), QStringLiteral("176*130"),
                                 QStringLiteral("120*120")});
    // The quality is offered but crops are always saved at quality 80.
    m_ui->quality->addItems({tr("高"), tr("中"), tr("低")});

    m_view = new CDlgEditImage(this);
    m_view->show();

    connect(m_ui->ok, &QPushButton::clicked, this, &CDlgEditPic::OnOK);
    connect(m_ui->cancel, &QPushButton::clicked, this, &CDlgEditPic::reject);
    connect(m_ui->scaleSlider, &QSlider::valueChanged, this, &CDlgEditPic::OnScale);
    connect(m_ui->modify, &QPushButton::clicked, this, &CDlgEditPic::OnModify);
    connect(m_ui->sizePresets, qOverload<int>(&QComboBox::activated), this, &CDlgEditPic::OnPresetChanged);
    connect(m_view, &CDlgEditImage::PictureSaved, this, &CDlgEditPic::OnPictureSaved);
    setWindowState(windowState() | Qt::WindowMaximized);
}

CDlgEditPic::~CDlgEditPic() = default;

bool CDlgEditPic::SetPicturePath(const QString& path) {
    m_sourcePath = path;
    m_width = m_height = 0;
    if (!m_view->ShowFile(path)) {
        ShowMessageBox(tr("图片过大或无法读取"), mb::IconWarning);
        m_ui->widthBox->setText(QStringLiteral("0"));
        m_ui->heightBox->setText(QStringLiteral("0"));
        return false;
    }
    m_width = m_view->Picture().width();
    m_height = m_view->Picture().height();
    m_ui->widthBox->setText(QString::number(m_width));
    m_ui->heightBox->setText(QString::number(m_height));
    return true;
}

void CDlgEditPic::OnOK() {
    m_view->Save();
}

void CDlgEditPic::OnScale(int position) {
    if (m_width <= 0 || m_height <= 0)
        return;
    const double scale = position / 100.0;
    m_ui->widthBox->setText(QString::number(static_cast<int>(m_width * scale)));
    m_ui->heightBox->setText(QString::number(static_cast<int>(m_height * scale)));
    m_view->SetZoom(scale);
    m_ui->sizePresets->setCurrentIndex(0);
}

void CDlgEditPic::OnModify() {
    Resize(m_ui->widthBox->text(), m_ui->heightBox->text());
}

void CDlgEditPic::OnPresetChanged(int index) {
    const auto size = ParseSizePreset(m_ui->sizePresets->itemText(index));
    if (!size)
        return;
    m_ui->widthBox->setText(QString::number(size->width()));
    m_ui->heightBox->setText(QString::number(size->height()));
    Resize(m_ui->widthBox->text(), m_ui->heightBox->text());
}

bool CDlgEditPic::Resize(const QString& widthText, const QString& heightText) {
    const auto width = ParsePictureSide(widthText);
    const auto height = ParsePictureSide(heightText);
    if (!width || !height || m_width <= 0 || m_height <= 0)
        return false;
    const QString folder = PreviewFolder();
    CreateDirectoryTree(folder);
    // The next free number, so a resize never overwrites another picture.
    const QString target = NextResizedPath(folder, m_sourcePath);
    if (!ResizeImageFile(m_sourcePath, target, double(*width) / m_width, double(*height) / m_height)) {
        ShowMessageBox(tr("图片过大或无法读取"), mb::IconWarning);
        return false;
    }
    m_view->ShowFile(target);
    const QSignalBlocker blocker(m_ui->scaleSlider);
    m_ui->scaleSlider->setValue(100);
    return true;
}

void CDlgEditPic::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    m_view->setGeometry(kViewMargin, kViewTop, std::max(1, width() - 2 * kViewMargin),
                        std::max(1, height() - kViewTop - kViewMargin));
}

void CDlgEditPic::OnPictureSaved(const QString& path) {
    m_outputPath = path;
    done(1003);
}
