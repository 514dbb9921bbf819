#include "gui/platform/FlowLayout.h"

#include <algorithm>

#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace kalden {

namespace {

// A spacer that takes the room left on its line, as a box layout's stretch.
bool stretches(const QSpacerItem& spacer) {
    return (spacer.sizePolicy().horizontalPolicy() & QSizePolicy::ExpandFlag) != 0;
}

} // namespace

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

// Kept on one line where it takes at most three quarters of the screen, as a
// row of buttons in a box layout would be; otherwise as narrow as the widest
// item, one to a line.
QSize FlowLayout::minimumSize() const {
    QSize size;
    for (QLayoutItem* item : items_)
        if (!item->isEmpty()) size = size.expandedTo(item->minimumSize());
    const QWidget* parent = parentWidget();
    const QScreen* screen = parent ? parent->screen() : nullptr;
    const QSize oneLine = sizeHint();
    if (screen && oneLine.width() <= screen->availableGeometry().width() * 3 / 4)
        return QSize(oneLine.width(), size.height() + contentsMargins().top() + contentsMargins().bottom());
    return size.grownBy(contentsMargins());
}

// Every item on one line.
QSize FlowLayout::sizeHint() const {
    int width = 0;
    int height = 0;
    int shown = 0;
    for (QLayoutItem* item : items_) {
        if (const QSpacerItem* spacer = item->spacerItem(); spacer && !stretches(*spacer))
            width += spacer->sizeHint().width();
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

// Line by line: the items that fit, then the room left over shared by the
// line's stretching spacers. A fixed spacer counts only between two items.
int FlowLayout::arrange(const QRect& rect, bool place) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int space = gap();
    int y = area.y();
    int lineHeight = 0;
    for (qsizetype first = 0; first < items_.size();) {
        int width = 0;
        int pending = 0;
        int stretchCount = 0;
        int pendingStretches = 0;
        bool started = false;
        lineHeight = 0;
        qsizetype end = first;
        for (; end < items_.size(); ++end) {
            QLayoutItem* item = items_.at(end);
            if (const QSpacerItem* spacer = item->spacerItem()) {
                if (stretches(*spacer))
                    ++pendingStretches;
                else
                    pending += spacer->sizeHint().width();
                continue;
            }
            if (item->isEmpty()) continue;
            const int next = started ? width + space + pending + item->sizeHint().width() : item->sizeHint().width();
            if (started && next > area.width()) break;
            if (started) stretchCount += pendingStretches;
            width = next;
            pending = 0;
            pendingStretches = 0;
            started = true;
            lineHeight = std::max(lineHeight, item->sizeHint().height());
        }
        if (place) {
            const int left = std::max(0, area.width() - width);
            int x = area.x();
            int shared = 0;
            bool placed = false;
            pending = 0;
            for (qsizetype i = first; i < end; ++i) {
                QLayoutItem* item = items_.at(i);
                if (const QSpacerItem* spacer = item->spacerItem()) {
                    if (!stretches(*spacer)) {
                        pending += spacer->sizeHint().width();
                    } else if (placed && shared < stretchCount) {
                        // Each stretch its share, the last taking what rounding left.
                        ++shared;
                        pending += shared == stretchCount ? left - (stretchCount - 1) * (left / stretchCount)
                                                          : left / stretchCount;
                    }
                    continue;
                }
                if (item->isEmpty()) continue;
                if (placed) x += space + pending;
                pending = 0;
                const QSize size = item->sizeHint();
                item->setGeometry(QRect(QPoint(x, y), size));
                x += size.width();
                placed = true;
            }
        }
        first = end;
        if (end < items_.size()) y += lineHeight + space;
    }
    return y + lineHeight - rect.y() + contentsMargins().bottom();
}

} // namespace kalden
