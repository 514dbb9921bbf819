#include "gui/worksheet/RadioGroupBox.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kalden {

RadioGroupBox::RadioGroupBox(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
    setAccessibleName(caption);
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setAccessibleName(items[i]);
        group_->addButton(button, i);
        layout->addWidget(button);
        items_.push_back(button);
    }
    setItemIndex(0);
    tabToTickedChoice(items_);
}

int RadioGroupBox::itemIndex() const { return group_->checkedId(); }

void RadioGroupBox::setItemIndex(int index) {
    if (index >= 0 && index < count()) item(index)->setChecked(true);
}

void tabToTickedChoice(const std::vector<QRadioButton*>& group) {
    const auto update = [group] {
        for (QRadioButton* b : group)
            b->setFocusPolicy(b->isChecked() ? Qt::StrongFocus : Qt::FocusPolicy(Qt::StrongFocus & ~Qt::TabFocus));
    };
    for (QRadioButton* b : group) QObject::connect(b, &QRadioButton::toggled, b, update);
    update();
}

} // namespace kalden
