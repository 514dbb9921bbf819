#pragma once

#include <vector>

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace kalden {

// A captioned group of radio buttons with an item index, as the worksheet's
// option groups are: exactly one item is selected.
class RadioGroupBox : public QGroupBox {
public:
    RadioGroupBox(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton* item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    int count() const { return static_cast<int>(items_.size()); }

private:
    std::vector<QRadioButton*> items_;
    QButtonGroup* group_;
};

// Tab reaches a group of radio buttons at its ticked choice, as the platform
// does for its own groups: only the ticked button takes the focus from Tab,
// and the arrow keys then move the tick. Kept so as the tick moves, however
// it moves (a click, the keyboard, the program).
void tabToTickedChoice(const std::vector<QRadioButton*>& group);

} // namespace kalden
