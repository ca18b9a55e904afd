#pragma once
// One MMS frame as a phone would show it: a 185 × 264 phone drawn by the
// pane itself, the frame number in red at the top, the picture in the screen
// (a GIF plays) and the text below it, or at the top when there is no picture.
#include <QString>
#include <QWidget>

#include <memory>

class QLabel;
class QMovie;
class QTextEdit;

class CMmsFrameWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 185;
    static constexpr int kHeight = 264;
    // The picture view's rectangle inside the pane, and how far the text box
    // moves up when no picture is shown.
    static constexpr QRect PictureRect() { return QRect(QPoint(8, 30), QPoint(178, 192)); }
    static constexpr int kTextShift = 162;

    // frameNumber 0 draws no number.
    explicit CMmsFrameWnd(QWidget* parent = nullptr, int frameNumber = 0);
    ~CMmsFrameWnd() override;

    void SetFrameNumber(int frameNumber);
    int FrameNumber() const { return m_frameNumber; }

    // Shows the picture file `path` (GIFs as a movie), and moves the text box
    // below the picture view.
    void ShowPicture(const QString& path);
    // Hides the picture view and moves the text box up.
    void HidePicture();
    bool PictureShown() const;
    // The file shown, empty when none.
    const QString& PicturePath() const { return m_picturePath; }

    // The text box gets `text` and is scrolled to its end.
    void SetText(const QString& text);

    QLabel* PictureView() const { return m_picture; }
    QTextEdit* TextBox() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_picture = nullptr; // control 100
    QTextEdit* m_text = nullptr; // control 101
    std::unique_ptr<QMovie> m_movie;
    int m_frameNumber = 0;
    QString m_picturePath;
};
