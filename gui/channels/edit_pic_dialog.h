#pragma once
// The picture editor of an MMS frame: scales a picture to a chosen size and
// cuts out a rectangle; the result is a new file in the preview folder that
// the composer takes as the frame's picture.
#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class CDlgEditPic;
}

class CDlgEditImage;

class CDlgEditPic : public QDialog {
    Q_OBJECT
public:
    explicit CDlgEditPic(QWidget* parent = nullptr);
    ~CDlgEditPic() override;

    // Loads the picture, takes its size into the boxes and shows it. False
    // (with "图片过大或无法读取") when it cannot be loaded.
    bool SetPicturePath(const QString& path);
    // After the result 1003: the file the editor wrote.
    const QString& OutputPath() const { return m_outputPath; }
    int OriginalWidth() const { return m_width; }
    int OriginalHeight() const { return m_height; }

    // "确定" (1003): the crop view's save.
    void OnOK();
    // The scale slider (1101) at `position` (1 to 200 percent).
    void OnScale(int position);
    // "修改" (21004): resize to the width and height boxes.
    void OnModify();
    // The size presets (21040): "<w>*<h>" fills the boxes and resizes.
    void OnPresetChanged(int index);
    // Resizes the source to width × height into the next "<n>_<name>" of the
    // preview folder and shows it; false when the sizes are not 1 to 999,
    // nothing is loaded, or the file cannot be written.
    bool Resize(const QString& widthText, const QString& heightText);

    CDlgEditImage* CropView() const { return m_view; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnPictureSaved(const QString& path);

    std::unique_ptr<Ui::CDlgEditPic> m_ui;
    CDlgEditImage* m_view = nullptr;
    QString m_sourcePath;
    QString m_outputPath;
    int m_width = 0;
    int m_height = 0;
};
