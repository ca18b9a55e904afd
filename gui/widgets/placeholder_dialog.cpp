#include "gui/widgets/placeholder_dialog.h"

#include "gui/widgets/widget_helpers.h"

#include "ui_placeholder_dialog.h"

#include <QCoreApplication>
#include <QPushButton>

PlaceholderDialog::PlaceholderDialog(QWidget* parent, const char* context, const char* caption)
    : QDialog(parent), m_ui(std::make_unique<Ui::PlaceholderDialog>()), m_context(context) {
    m_ui->setupUi(this);
    ApplyControlIds(this);
    setObjectName(QString::fromLatin1(context));
    connect(m_ui->close, &QPushButton::clicked, this, &PlaceholderDialog::reject);
    SetCaption(caption);
}

PlaceholderDialog::~PlaceholderDialog() = default;

void PlaceholderDialog::reject() {
    done(kPlaceholderResult);
}

void PlaceholderDialog::SetCaption(const char* caption) {
    setWindowTitle(caption ? QCoreApplication::translate(m_context, caption)
                           : QString::fromLatin1(m_context));
}
