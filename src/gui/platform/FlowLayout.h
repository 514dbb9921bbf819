#pragma once

#include <QLayout>
#include <QList>

namespace kalden {

// Lays its items out left to right as a line of text is set, starting a new
// line where the next item would pass the right edge: a row of buttons that
// stays whole on a narrow screen. Spacers keep their width between two
// items of a line, and stretching ones share the room left on it.
class FlowLayout : public QLayout {
public:
    FlowLayout() = default;
    ~FlowLayout() override;
    FlowLayout(const FlowLayout&) = delete;
    FlowLayout& operator=(const FlowLayout&) = delete;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    int gap() const;
    // Places the items within `rect` (or only measures, when not `place`)
    // and gives the height they take.
    int arrange(const QRect& rect, bool place) const;

    QList<QLayoutItem*> items_;
};

} // namespace kalden
