#pragma once

#include <array>

#include <QDialog>

#include "report/ChangeReport.h"

class QLineEdit;
class QRadioButton;

namespace kalden {

class MessageBoxes;

// "Compare Two Assessments": the level of the reliable change index and the
// practice gains a retest study expects, in Index points, with the study's
// name; a blank gain is none. It opens with what was used last. Compare
// accepts only gains from -30 to 30 (a warning box names the Index, and the
// focus goes to its field); Cancel compares nothing.
class TfrmCompare : public QDialog {
    Q_OBJECT

public:
    // `first` and `second` say which cases are compared.
    TfrmCompare(const ChangeSettings& settings, const QString& first, const QString& second, MessageBoxes& boxes,
                QWidget* parent = nullptr);
    // The settings as entered; valid once the dialog is accepted.
    ChangeSettings settings() const;

    QRadioButton* optLevel95 = nullptr;
    QRadioButton* optLevel90 = nullptr;
    std::array<QLineEdit*, IndexCount> txtPractice{};
    QLineEdit* txtPracticeSource = nullptr;

public slots:
    void accept() override;

private:
    MessageBoxes& boxes_;
};

} // namespace kalden
