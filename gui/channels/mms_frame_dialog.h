#pragma once
// One MMS frame's editor, a page on a tab of the MMS composer: a picture
// (JPEG or GIF), a sound (MIDI or AMR) and a text, shown beside the boxes on
// a phone pane. In a personalised MMS it inserts contact fields at the cursor
// of the box that last had the focus.
#include "service/mms_content.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

namespace Ui {
class CDlgMMSFrame;
}

class CMmsFrameWnd;
class QLineEdit;
class QTextEdit;

class CDlgMMSFrame : public QWidget {
    Q_OBJECT
public:
    // `personalised` shows the field combo, filled with the visible contact
    // fields.
    explicit CDlgMMSFrame(QWidget* parent = nullptr, bool personalised = false);
    ~CDlgMMSFrame() override;

    // Sets the four boxes; a picture is shown on the pane, else the pane's
    // text box gets the text.
    void FillFromContent(const MMSCONTENT& content);
    // The frame as the boxes hold it.
    MMSCONTENT Content() const;
    // Appends Content() to `frames`.
    void AppendContent(std::vector<MMSCONTENT>& frames) const;

    // Shows the picture file `path` on the pane through its preview file;
    // returns the height it is shown with.
    int ShowPicture(const QString& path);

    // "添加..." (picture, 1003): several JPEG or GIF files. The first becomes
    // this frame's picture; each further one is asked for as a new frame
    // (FrameRequested). A file of another kind stops there with "图片格式不正确".
    void OnAddPicture();
    // "添加..." (sound, 1005): one MIDI or AMR file, else "声音文件格式不正确".
    void OnAddSound();
    // "清空" beside the picture (21004) and beside the sound (21005).
    void OnClearPicture();
    void OnClearSound();
    // Field combo (21040) choice `index`: "<%" name "%>" replaces the
    // selection of the box that last had the focus.
    void OnInsertField(int index);

    CMmsFrameWnd* Pane() const { return m_pane; }
    QLineEdit* PictureBox() const;
    QLineEdit* SoundBox() const;
    QTextEdit* TextBox() const;

signals:
    // A further picture chosen together with this frame's: the composer
    // appends a frame holding it.
    void FrameRequested(const MMSCONTENT& content);
    // Something that counts toward the message's size changed.
    void SizeChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnTextChanged();

    std::unique_ptr<Ui::CDlgMMSFrame> m_ui;
    CMmsFrameWnd* m_pane = nullptr;
    bool m_personalised = false;
    QString m_shownPicture;
    QWidget* m_fieldTarget = nullptr;
};
