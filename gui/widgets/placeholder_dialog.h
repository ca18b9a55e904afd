#pragma once
// The stand-in of a dialog whose function comes in a later version: its
// caption, a note saying so and one button "关闭". It stores nothing; the
// button, Esc and the close box all end it with the cancel result.
#include <QDialog>

#include <memory>

namespace Ui {
class PlaceholderDialog;
}

// The result every placeholder ends with.
inline constexpr int kPlaceholderResult = 2; // IDCANCEL

class PlaceholderDialog : public QDialog {
    Q_OBJECT
public:
    // The window title is `caption` translated in `context` (the class that
    // stands behind it); without a caption it is the context itself.
    PlaceholderDialog(QWidget* parent, const char* context, const char* caption);
    ~PlaceholderDialog() override;

public slots:
    void reject() override;

protected:
    // Sets the title to `caption` translated in this dialog's context.
    void SetCaption(const char* caption);

private:
    std::unique_ptr<Ui::PlaceholderDialog> m_ui;
    const char* m_context;
};
