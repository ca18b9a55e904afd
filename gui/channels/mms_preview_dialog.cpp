#include "gui/channels/mms_preview_dialog.h"

#include "channels/mms_checks.h"
#include "channels/mms_preview_files.h"
#include "core/app_globals.h"
#include "core/string_table.h"
#include "gui/channels/mms_frame_wnd.h"
#include "gui/widgets/widget_helpers.h"
#include "platform/msgbox.h"

#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

constexpr int kColumnWidth = 192;
constexpr int kPaneWidth = 184;
constexpr int kPaneHeight = 257;
constexpr int kTopMargin = 30;
constexpr int kCountDownStart = 10;

int& TickInterval() {
    static int interval = 1000;
    return interval;
}

QString WithNumbers(QString text, std::initializer_list<qint64> numbers) {
    for (const qint64 n : numbers) {
        const auto at = text.indexOf(QLatin1String("%d"));
        if (at < 0)
            break;
        text.replace(at, 2, QString::number(n));
    }
    return text;
}

} // namespace

CDlgMMSPreview::CDlgMMSPreview(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CDlgMMSPreview"));
    setWindowTitle(tr("预览彩信"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(false);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_canvas = new QWidget;
    m_scroll->setWidget(m_canvas);
    layout->addWidget(m_scroll);
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &CDlgMMSPreview::OnCountDownTick);
    resize(800, 600);
    setWindowState(windowState() | Qt::WindowMaximized);
}

CDlgMMSPreview::~CDlgMMSPreview() = default;

void CDlgMMSPreview::AddFrame(const MMSCONTENT& frame) {
    m_frames.push_back(frame);
}

void CDlgMMSPreview::SetFrames(std::vector<MMSCONTENT> frames) {
    m_frames = std::move(frames);
}

void CDlgMMSPreview::SetAutoSend(bool autoSend) {
    m_autoSend = autoSend;
}

int CDlgMMSPreview::SetTickInterval(int ms) {
    return std::exchange(TickInterval(), ms);
}

std::vector<QRect> CDlgMMSPreview::LayoutPanes(const QSize& client, int frames) {
    std::vector<QRect> rects;
    if (frames <= 0)
        return rects;
    const int columns = std::clamp(client.width() / kColumnWidth, 1, frames);
    const int rows = (frames + columns - 1) / columns;
    int offset = 0;
    for (int k = 1; k <= frames; ++k) {
        const int r = (k + columns - 1) / columns;
        const int c = (k - 1) % columns;
        const int y = ((client.height() - 207 * rows - 35) / 2) - 347 + 277 * r;
        const int x = ((client.width() - 162 * columns - (30 * columns - 30)) / 2) + kColumnWidth * c;
        if (k == 1 && y - kTopMargin < kTopMargin)
            offset = kTopMargin - (y - kTopMargin);
        rects.emplace_back(QPoint(x - 10, y - 30 + offset), QSize(kPaneWidth, kPaneHeight));
    }
    return rects;
}

void CDlgMMSPreview::LayOut() {
    const QSize client = m_scroll->viewport()->size();
    const std::vector<QRect> rects = LayoutPanes(client, static_cast<int>(m_frames.size()));
    if (!m_laidOut) {
        m_laidOut = true;
        for (size_t i = 0; i < m_frames.size(); ++i) {
            const MMSCONTENT& frame = m_frames[i];
            auto* pane = new CMmsFrameWnd(m_canvas, static_cast<int>(i) + 1);
            if (!frame.picturePath.isEmpty() && QFile(frame.picturePath).exists())
                pane->ShowPicture(PreparePanePicture(frame.picturePath).shownPath);
            pane->SetText(frame.text);
            pane->show();
            m_panes.push_back(pane);
        }
        const MmsSizeReport report = CheckMmsFiles(m_frames, g_nMmsMaxSize, /*countText=*/true);
        m_totalBytes = report.totalBytes;
        setWindowTitle(WithNumbers(tr("预览彩信　(共%d帧,占用%d字节,约%dKB)"),
                                   {qint64(m_frames.size()), m_totalBytes, m_totalBytes / 1024}));
        for (const QString& problem : report.problems)
            ShowMessageBox(problem, mb::IconError);
    }
    int bottom = 0;
    for (size_t i = 0; i < m_panes.size() && i < rects.size(); ++i) {
        m_panes[i]->move(rects[i].topLeft());
        bottom = std::max(bottom, rects[i].top() + CMmsFrameWnd::kHeight);
    }
    // The canvas reaches down to the lowest pane, so the area scrolls to it.
    m_canvas->resize(client.width(), std::max(client.height(), bottom + 10));
}

void CDlgMMSPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    // The size problems are told before the count-down begins.
    LayOut();
    if (m_autoSend) {
        m_countDown = kCountDownStart;
        m_timer->start(TickInterval());
    }
}

void CDlgMMSPreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_laidOut)
        LayOut();
}

void CDlgMMSPreview::OnCountDownTick() {
    if (m_baseTitle.isEmpty())
        m_baseTitle = windowTitle();
    const int shown = m_countDown;
    setWindowTitle(
        WithNumbers(m_baseTitle + QStringLiteral("       ") +
                        tr("本窗口%d秒后自动关闭并发送彩信，如要立即发送或取消，请单击“关闭”按钮进行选择"),
                    {shown}));
    if (shown <= 0) {
        m_timer->stop();
        done(0);
        return;
    }
    --m_countDown;
}

void CDlgMMSPreview::OnClose() {
    m_timer->stop();
    if (!m_autoSend) {
        done(0);
        return;
    }
    const int answer = ShowMessageBox(LoadStr(214), mb::YesNo | mb::IconQuestion, LoadStr(129));
    done(answer == IDYES ? 0 : -1);
}

void CDlgMMSPreview::reject() {
    m_timer->stop();
    done(IDCANCEL);
}

void CDlgMMSPreview::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (isVisible())
        OnClose();
}

void CDlgMMSPreview::keyPressEvent(QKeyEvent* event) {
    if (!SwallowEnter(event))
        QDialog::keyPressEvent(event);
}
