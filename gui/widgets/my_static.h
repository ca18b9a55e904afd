#pragma once
// A text that acts as a link: hand cursor, blue and underlined, and a
// clicked() signal for its owner to handle.
#include <QLabel>

class CMyStatic : public QLabel {
    Q_OBJECT
public:
    explicit CMyStatic(QWidget* parent = nullptr);

signals:
    // A left-button click released over the text.
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};
