#pragma once
// "生成手机报": a title and one long text whose frames are separated by a
// line holding only "**". "生成(&M)" ends the dialog with 1003; the opener
// then runs the MMS composer with Frames() and Title().
#include "service/mms_content.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <vector>

namespace Ui {
class CDlgTelPaper;
}

class CDlgTelPaper : public QDialog {
    Q_OBJECT
public:
    explicit CDlgTelPaper(QWidget* parent = nullptr);
    ~CDlgTelPaper() override;

    // Counts the frames of the text box. More than 20 puts the last
    // accepted text back and says so.
    void OnTextChanged();
    // "生成(&M)": refuses an empty title, else ends with 1003.
    void OnCreate();

    // After 1003: the title and one text-only frame per piece of the last
    // accepted text.
    const QString& Title() const { return m_title; }
    const std::vector<MMSCONTENT>& Frames() const { return m_frames; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::CDlgTelPaper> m_ui;
    QString m_lastAccepted;
    QString m_title;
    std::vector<MMSCONTENT> m_frames;
};
