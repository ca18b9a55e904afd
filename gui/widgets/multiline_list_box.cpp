#include "gui/widgets/multiline_list_box.h"

#include <QPainter>
#include <QStyledItemDelegate>

#include <climits>

namespace {

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

class MultiLineDelegate : public QStyledItemDelegate {
public:
    explicit MultiLineDelegate(CMultiLineListBox* list) : QStyledItemDelegate(list), m_list(list) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
        return {m_list->ItemTextWidth(), m_list->MeasureItem(index.data(Qt::DisplayRole).toString())};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        painter->save();
        painter->fillRect(option.rect, selected ? pal.brush(QPalette::Highlight) : pal.brush(QPalette::Base));
        painter->setPen(selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
        painter->setFont(option.font);
        painter->drawText(option.rect, kTextFlags, index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

private:
    CMultiLineListBox* m_list;
};

} // namespace

CMultiLineListBox::CMultiLineListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new MultiLineDelegate(this));
    setWordWrap(true);
    setUniformItemSizes(false);
    // Items are laid out again at every width, so their heights follow it.
    setResizeMode(QListView::Adjust);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int CMultiLineListBox::ItemTextWidth() const {
    return qMax(1, viewport()->width() - 2 * spacing());
}

int CMultiLineListBox::MeasureItem(const QString& text) const {
    const QRect bounds = fontMetrics().boundingRect(QRect(0, 0, ItemTextWidth(), INT_MAX / 2), kTextFlags,
                                                    text.isEmpty() ? QStringLiteral(" ") : text);
    return bounds.height();
}
