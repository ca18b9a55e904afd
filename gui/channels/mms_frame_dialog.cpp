#include "gui/channels/mms_frame_dialog.h"

#include "channels/mms_preview_files.h"
#include "contacts/contact_fields.h"
#include "core/string_table.h"
#include "gui/channels/mms_frame_wnd.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_mms_frame_dialog.h"

#include <QEvent>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextCursor>

CDlgMMSFrame::CDlgMMSFrame(QWidget* parent, bool personalised)
    : QWidget(parent), m_ui(std::make_unique<Ui::CDlgMMSFrame>()), m_personalised(personalised) {
    m_ui->setupUi(this);
    ApplyControlIds(this);

    if (m_personalised) {
        m_ui->fieldLabel->show();
        m_ui->fieldCombo->show();
        // Taken on "activated", so the same field can be inserted twice.
        m_ui->fieldCombo->addItems(VisibleFieldNames(QString()));
    }
    m_pane = new CMmsFrameWnd(this);
    m_pane->move(m_ui->paneArea->pos());
    m_pane->show();
    m_ui->paneArea->hide();

    // The playing time is never sent; the box stays hidden and takes digits only.
    m_ui->playTime->setValidator(new QIntValidator(0, 99, m_ui->playTime));

    connect(m_ui->addPicture, &QPushButton::clicked, this, &CDlgMMSFrame::OnAddPicture);
    connect(m_ui->addSound, &QPushButton::clicked, this, &CDlgMMSFrame::OnAddSound);
    connect(m_ui->clearPicture, &QPushButton::clicked, this, &CDlgMMSFrame::OnClearPicture);
    connect(m_ui->clearSound, &QPushButton::clicked, this, &CDlgMMSFrame::OnClearSound);
    connect(m_ui->textBox, &QTextEdit::textChanged, this, &CDlgMMSFrame::OnTextChanged);
    connect(m_ui->fieldCombo, qOverload<int>(&QComboBox::activated), this, &CDlgMMSFrame::OnInsertField);
    for (QWidget* box : {static_cast<QWidget*>(m_ui->pictureBox), static_cast<QWidget*>(m_ui->soundBox),
                         static_cast<QWidget*>(m_ui->textBox)})
        box->installEventFilter(this);
    m_fieldTarget = m_ui->textBox;
}

CDlgMMSFrame::~CDlgMMSFrame() = default;

QLineEdit* CDlgMMSFrame::PictureBox() const {
    return m_ui->pictureBox;
}
QLineEdit* CDlgMMSFrame::SoundBox() const {
    return m_ui->soundBox;
}
QTextEdit* CDlgMMSFrame::TextBox() const {
    return m_ui->textBox;
}

void CDlgMMSFrame::FillFromContent(const MMSCONTENT& content) {
    m_ui->playTime->setText(content.playTime);
    m_ui->pictureBox->setText(content.picturePath);
    m_ui->soundBox->setText(content.soundPath);
    m_ui->textBox->setPlainText(content.text);
    if (content.picturePath.isEmpty()) {
        m_pane->HidePicture();
        m_pane->SetText(content.text);
    } else {
        ShowPicture(content.picturePath);
    }
}

MMSCONTENT CDlgMMSFrame::Content() const {
    return MMSCONTENT{m_ui->playTime->text(), m_ui->pictureBox->text(), m_ui->soundBox->text(),
                      m_ui->textBox->toPlainText()};
}

void CDlgMMSFrame::AppendContent(std::vector<MMSCONTENT>& frames) const {
    frames.push_back(Content());
}

int CDlgMMSFrame::ShowPicture(const QString& path) {
    const PanePicture picture = PreparePanePicture(path);
    m_shownPicture = picture.shownPath;
    m_pane->ShowPicture(picture.shownPath);
    m_pane->SetText(m_ui->textBox->toPlainText());
    return picture.shownSize.isValid() ? picture.shownSize.height() : picture.originalSize.height();
}

void CDlgMMSFrame::OnAddPicture() {
    const QStringList files = ChooseOpenFiles(this, tr("文件(*.jpg,*.gif)|*.jpg;*.gif;|"));
    bool first = true;
    for (const QString& file : files) {
        const QString ending = file.right(4).toUpper();
        if (ending != QLatin1String(".JPG") && ending != QLatin1String(".GIF")) {
            ShowMessageBox(LoadStr(212), mb::IconError);
            break;
        }
        if (first) {
            first = false;
            m_ui->pictureBox->setText(file);
            m_ui->pictureBox->setCursorPosition(static_cast<int>(file.size()));
            ShowPicture(file);
        } else {
            emit FrameRequested(MMSCONTENT{QString(), file, QString(), QString()});
        }
    }
    emit SizeChanged();
}

void CDlgMMSFrame::OnAddSound() {
    const QString file = ChooseOpenFile(this, tr("文件(*.mid,*.amr)|*.mid;*.amr;|"));
    if (file.isEmpty())
        return;
    const QString extension = file.section(QLatin1Char('.'), -1).toUpper();
    if (!file.contains(QLatin1Char('.')) ||
        (extension != QLatin1String("MID") && extension != QLatin1String("AMR"))) {
        ShowMessageBox(LoadStr(213), mb::IconError);
        return;
    }
    m_ui->soundBox->setText(file);
    m_ui->soundBox->setCursorPosition(static_cast<int>(file.size()));
    emit SizeChanged();
}

void CDlgMMSFrame::OnClearPicture() {
    m_ui->pictureBox->clear();
    m_ui->clearPicture->hide();
    m_shownPicture.clear();
    m_pane->HidePicture();
    emit SizeChanged();
}

void CDlgMMSFrame::OnClearSound() {
    m_ui->soundBox->clear();
    m_ui->clearSound->hide();
    emit SizeChanged();
}

void CDlgMMSFrame::OnInsertField(int index) {
    if (index < 0 || index >= m_ui->fieldCombo->count())
        return;
    const QString field = QStringLiteral("<%") + m_ui->fieldCombo->itemText(index) + QStringLiteral("%>");
    if (auto* line = qobject_cast<QLineEdit*>(m_fieldTarget)) {
        line->insert(field); // replaces the selection, at the cursor
        line->setFocus();
    } else {
        m_ui->textBox->textCursor().insertText(field);
        m_ui->textBox->setFocus();
    }
}

void CDlgMMSFrame::OnTextChanged() {
    m_pane->SetText(m_ui->textBox->toPlainText());
    emit SizeChanged();
}

bool CDlgMMSFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == m_ui->pictureBox) {
            m_fieldTarget = m_ui->pictureBox;
            m_ui->clearPicture->setVisible(!m_ui->pictureBox->text().isEmpty());
        } else if (watched == m_ui->soundBox) {
            m_fieldTarget = m_ui->soundBox;
            m_ui->clearSound->setVisible(!m_ui->soundBox->text().isEmpty());
        } else if (watched == m_ui->textBox) {
            m_fieldTarget = m_ui->textBox;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CDlgMMSFrame::keyPressEvent(QKeyEvent* event) {
    // The page never closes itself: Enter and Esc stop here.
    if (!SwallowEnterAndEsc(event))
        QWidget::keyPressEvent(event);
}
