#include "gui/channels/tel_paper_dialog.h"

#include "channels/mobile_news.h"
#include "core/string_table.h"
#include "gui/main/gui_globals.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include "ui_tel_paper_dialog.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>

CDlgTelPaper::CDlgTelPaper(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CDlgTelPaper>()) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    m_ui->text->setFont(g_fontNormal);
    connect(m_ui->text, &QTextEdit::textChanged, this, &CDlgTelPaper::OnTextChanged);
    connect(m_ui->create, &QPushButton::clicked, this, &CDlgTelPaper::OnCreate);
}

CDlgTelPaper::~CDlgTelPaper() = default;

void CDlgTelPaper::OnTextChanged() {
    const QString text = m_ui->text->toPlainText();
    const int count = static_cast<int>(SplitNewsFrames(text).size());
    if (count <= kMmsMaxFrames) {
        m_lastAccepted = text;
        m_ui->frameCount->setText(tr("您共输入%d帧").replace(QLatin1String("%d"), QString::number(count)));
        return;
    }
    {
        // Putting the text back must not count it again.
        const QSignalBlocker blocker(m_ui->text);
        m_ui->text->setPlainText(m_lastAccepted);
        m_ui->text->moveCursor(QTextCursor::End);
    }
    ShowMessageBox(tr("帧数不能超过%d").replace(QLatin1String("%d"), QString::number(kMmsMaxFrames)),
                   mb::Ok | mb::IconWarning);
}

void CDlgTelPaper::OnCreate() {
    const QString title = m_ui->title->text();
    if (title.isEmpty()) {
        ShowMessageBox(LoadStr(275), mb::Ok | mb::IconWarning);
        return;
    }
    m_title = title;
    m_frames.clear();
    for (const QString& piece : SplitNewsFrames(m_lastAccepted)) {
        MMSCONTENT frame;
        frame.text = piece;
        m_frames.push_back(frame);
    }
    done(1003);
}

void CDlgTelPaper::keyPressEvent(QKeyEvent* event) {
    // Enter does nothing; Esc still closes.
    if (SwallowEnter(event))
        return;
    QDialog::keyPressEvent(event);
}
