#pragma once
// All frames of an MMS side by side as phone panes, with the size checks of
// the installation's limit and the total size in the title. In auto-send
// mode it counts down from 10 in its title and then ends with 0 ("send").
#include "service/mms_content.h"

#include <QDialog>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class CMmsFrameWnd;
class QScrollArea;
class QTimer;

class CDlgMMSPreview : public QDialog {
    Q_OBJECT
public:
    explicit CDlgMMSPreview(QWidget* parent = nullptr);
    ~CDlgMMSPreview() override;

    // Before the run: the frames to show, and whether closing sends.
    void AddFrame(const MMSCONTENT& frame);
    void SetFrames(std::vector<MMSCONTENT> frames);
    void SetAutoSend(bool autoSend);

    // The panes' rectangles for `frames` frames in a client area of `client`
    // size: 192-pixel columns (as many as fit, at most one per frame),
    // 277-pixel rows, 184 × 257 panes, roughly centred, at least 30 pixels
    // from the top.
    static std::vector<QRect> LayoutPanes(const QSize& client, int frames);

    // The count-down's tick, every second unless tests shorten it (for every
    // preview of the process); returns the previous interval in ms.
    static int SetTickInterval(int ms);

    // Count-down tick: the title shows the seconds left; the tick that shows
    // 0 ends the dialog with 0.
    void OnCountDownTick();
    // The close box: in auto-send mode asks "确定要发送本条彩信吗？" (Yes 0,
    // No -1), else ends with 0.
    void OnClose();
    int SecondsLeft() const { return m_countDown; }
    const std::vector<CMmsFrameWnd*>& Panes() const { return m_panes; }
    // Total bytes of the frames, after the panes were made.
    qint64 TotalBytes() const { return m_totalBytes; }

public slots:
    // Esc: the cancel result (2), never 0, which would mean "send".
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Makes the panes and runs the size checks, once; later calls only move.
    void LayOut();

    std::vector<MMSCONTENT> m_frames;
    std::vector<CMmsFrameWnd*> m_panes;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_canvas = nullptr;
    QTimer* m_timer = nullptr;
    bool m_laidOut = false;
    bool m_autoSend = false;
    bool m_started = false;
    int m_countDown = 10;
    qint64 m_totalBytes = 0;
    QString m_baseTitle;
};
