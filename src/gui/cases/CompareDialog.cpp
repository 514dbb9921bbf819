#include "gui/cases/CompareDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "format/NumberFormat.h"
#include "format/ShortestText.h"
#include "gui/platform/Services.h"
#include "scoring/IndexScores.h"

namespace kalden {

namespace {

// A gain as the field shows it: blank for none, else its digits with the
// report's decimal separator.
QString gainText(double gain) {
    if (gain == 0) return {};
    std::string text;
    appendShortest(text, gain);
    for (char& c : text)
        if (c == '.') c = decimalSeparator();
    return QString::fromStdString(text);
}

// The field's text read with either '.' or the report's separator.
std::optional<double> gainOf(const QLineEdit* field) {
    std::string text = field->text().toStdString();
    for (char& c : text)
        if (c == decimalSeparator()) c = '.';
    return practiceGainOf(text);
}

} // namespace

TfrmCompare::TfrmCompare(const ChangeSettings& settings, const QString& first, const QString& second,
                         MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), boxes_(boxes) {
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(QStringLiteral("Compare Two Assessments"));
    auto* layout = new QVBoxLayout(this);
    auto* which = new QLabel(QStringLiteral("First: %1\nSecond: %2").arg(first, second), this);
    which->setObjectName(QStringLiteral("lblCompared"));
    which->setTextFormat(Qt::PlainText);
    layout->addWidget(which);

    auto* level = new QGroupBox(QStringLiteral("Reliable change at"), this);
    auto* levelRow = new QVBoxLayout(level);
    optLevel95 = new QRadioButton(QStringLiteral("&95% (|RCI| at least 1.96)"), level);
    optLevel95->setObjectName(QStringLiteral("optLevel95"));
    optLevel90 = new QRadioButton(QStringLiteral("9&0% (|RCI| at least 1.64)"), level);
    optLevel90->setObjectName(QStringLiteral("optLevel90"));
    (settings.level == ChangeLevel::Percent90 ? optLevel90 : optLevel95)->setChecked(true);
    levelRow->addWidget(optLevel95);
    levelRow->addWidget(optLevel90);
    layout->addWidget(level);

    auto* gains = new QGroupBox(QStringLiteral("Expected practice gains (Index points; blank is none)"), this);
    auto* form = new QFormLayout(gains);
    static const char* const Names[IndexCount] = {"txtPracticeVC", "txtPracticePO", "txtPracticeWM", "txtPracticePS",
                                                  "txtPracticeFSIQ"};
    for (std::size_t i = 0; i < IndexCount; ++i) {
        QLineEdit*& edit = txtPractice[i];
        edit = new QLineEdit(gainText(settings.practice.points[i]), gains);
        edit->setObjectName(QString::fromLatin1(Names[i]));
        edit->setPlaceholderText(QStringLiteral("none"));
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QString(10, u'0')));
        auto* caption = new QLabel(QString::fromLatin1(indexDefinition(indexAt(i)).label) + u':', gains);
        caption->setBuddy(edit);
        edit->setAccessibleName(QStringLiteral("Practice gain, ") +
                                QString::fromLatin1(indexDefinition(indexAt(i)).label));
        form->addRow(caption, edit);
    }
    txtPracticeSource = new QLineEdit(QString::fromStdString(settings.practice.source), gains);
    txtPracticeSource->setObjectName(QStringLiteral("txtPracticeSource"));
    txtPracticeSource->setPlaceholderText(QStringLiteral("the retest study the gains come from"));
    txtPracticeSource->setMinimumWidth(txtPracticeSource->fontMetrics().horizontalAdvance(QString(40, u'0')));
    auto* sourceCaption = new QLabel(QStringLiteral("&Retest study:"), gains);
    sourceCaption->setBuddy(txtPracticeSource);
    txtPracticeSource->setAccessibleName(QStringLiteral("Retest study"));
    form->addRow(sourceCaption, txtPracticeSource);
    layout->addWidget(gains);

    auto* note = new QLabel(QStringLiteral("KALDEN ships no practice gains: none are published for this short form. "
                                           "The gains used are printed with the change, even when none."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    QPushButton* compare = buttons->addButton(QStringLiteral("Co&mpare"), QDialogButtonBox::AcceptRole);
    compare->setObjectName(QStringLiteral("cmdCompare"));
    compare->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmCompare::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TfrmCompare::reject);
    layout->addWidget(buttons);
    (settings.level == ChangeLevel::Percent90 ? optLevel90 : optLevel95)->setFocus();
}

ChangeSettings TfrmCompare::settings() const {
    ChangeSettings s;
    s.level = optLevel90->isChecked() ? ChangeLevel::Percent90 : ChangeLevel::Percent95;
    for (std::size_t i = 0; i < IndexCount; ++i) s.practice.points[i] = gainOf(txtPractice[i]).value_or(0.0);
    s.practice.source = txtPracticeSource->text().trimmed().toStdString();
    return s;
}

void TfrmCompare::accept() {
    for (std::size_t i = 0; i < IndexCount; ++i) {
        if (gainOf(txtPractice[i])) continue;
        boxes_.warning(QStringLiteral("The practice gain for %1 must be a number of Index points from %2 to %3, or "
                                      "blank for none.")
                           .arg(QString::fromLatin1(indexDefinition(indexAt(i)).label),
                                QString::fromStdString(formatFixed(-PracticeGainLimit, 0, 0)),
                                QString::fromStdString(formatFixed(PracticeGainLimit, 0, 0))));
        txtPractice[i]->setFocus();
        txtPractice[i]->selectAll();
        return;
    }
    QDialog::accept();
}

} // namespace kalden
