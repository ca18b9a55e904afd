#pragma once
// The stand-in of a right-hand view of the main window whose function comes
// in a later version: the note saying so, and what it was last asked to show.
#include <QWidget>

class QLabel;

class PlaceholderView : public QWidget {
    Q_OBJECT
public:
    // `context` names the view (its class).
    PlaceholderView(QWidget* parent, const char* context);

protected:
    // The line under the note: what the view was asked to show.
    void SetDetail(const QString& detail);

private:
    QLabel* m_detail;
};
