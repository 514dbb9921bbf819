#include "gui/platform/FlowLayout.h"

#include <algorithm>

#include <QStyle>
#include <QWidget>

namespace kalden {

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void FlowLayout::addItem(QLayoutItem* item) { items_.append(item); }

int FlowLayout::count() const { return static_cast<int>(items_.size()); }

QLayoutItem* FlowLayout::itemAt(int index) const { return index >= 0 && index < count() ? items_.at(index) : nullptr; }

QLayoutItem* FlowLayout::takeAt(int index) { return index >= 0 && index < count() ? items_.takeAt(index) : nullptr; }

Qt::Orientations FlowLayout::expandingDirections() const { return {}; }

bool FlowLayout::hasHeightForWidth() const { return true; }

int FlowLayout::heightForWidth(int width) const { return arrange(QRect(0, 0, width, 0), false); }

// As narrow as the widest item, one to a line.
QSize FlowLayout::minimumSize() const {
    QSize size;
    for (const QLayoutItem* item : items_)
        if (!item->isEmpty()) size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size.grownBy(m);
}

// Every item on one line.
QSize FlowLayout::sizeHint() const {
    int width = 0;
    int height = 0;
    int shown = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        width += item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
        ++shown;
    }
    if (shown > 1) width += (shown - 1) * gap();
    return QSize(width, height).grownBy(contentsMargins());
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

// The spacing set, or else the style's between two buttons.
int FlowLayout::gap() const {
    if (spacing() >= 0) return spacing();
    const QWidget* parent = parentWidget();
    if (!parent) return 6;
    const QStyle* style = parent->style();
    const int metric = style->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, parent);
    if (metric >= 0) return metric;
    return std::max(0, style->layoutSpacing(QSizePolicy::PushButton, QSizePolicy::PushButton, Qt::Horizontal, nullptr,
                                            parent));
}

int FlowLayout::arrange(const QRect& rect, bool place) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int space = gap();
    int x = area.x();
    int y = area.y();
    int lineHeight = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize size = item->sizeHint();
        if (x > area.x() && x + size.width() > area.right() + 1) {
            x = area.x();
            y += lineHeight + space;
            lineHeight = 0;
        }
        if (place) item->setGeometry(QRect(QPoint(x, y), size));
        x += size.width() + space;
        lineHeight = std::max(lineHeight, size.height());
    }
    return y + lineHeight - rect.y() + contentsMargins().bottom();
}

} // namespace kalden
