#include "gui/widgets/placeholder_view.h"

#include <QLabel>
#include <QVBoxLayout>

PlaceholderView::PlaceholderView(QWidget* parent, const char* context) : QWidget(parent) {
    setObjectName(QString::fromLatin1(context));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(tr("此功能将在后续版本中提供。"), this);
    note->setObjectName(QStringLiteral("note"));
    note->setAlignment(Qt::AlignCenter);
    m_detail = new QLabel(this);
    m_detail->setObjectName(QStringLiteral("detail"));
    m_detail->setAlignment(Qt::AlignCenter);
    m_detail->setTextFormat(Qt::PlainText);
    layout->addStretch();
    layout->addWidget(note);
    layout->addWidget(m_detail);
    layout->addStretch();
}

void PlaceholderView::SetDetail(const QString& detail) {
    m_detail->setText(detail);
}
