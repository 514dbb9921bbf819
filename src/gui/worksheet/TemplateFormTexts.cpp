// The worksheet's long fixed texts: the description and the matrix help.
#include <QString>
#include <QStringList>

#include "gui/worksheet/TemplateForm.h"
#include "worksheet/ProgramConfig.h"

namespace kalden {

namespace {

// The text that follows the citation sentence and two blanks.
const char* const DescriptionBody =
    "The program calculates an individual's short-form Index scores (plus 95% or 90% confidence limits) f"
    "rom scores on seven subtests. The scores are also expressed as percentile ranks (plus CLs on the per"
    "centile ranks).   The program then tests whether differences among the individual's Index scores are"
    " reliably different (based on either observed scores or estimated true scores).  There is the option"
    " of applying a sequential Bonferroni correction for multiple comparisons when conducting this analys"
    "is. Finally, the program reports on the abnormality of the differences between the Index scores.  Pl"
    "ease refer to the accompanying paper in order to make an  informed choice regarding the options avai"
    "lable (note, however, that there is a default set for each option).  The results from the program ca"
    "n be viewed on screen, printed, or saved to a file. There is a field for User's Notes:  relevant inf"
    "ormation about the individual can be entered in this field for future reference. Finally, please not"
    "e that, in the interests of precision, the differences between Index scores (as reported in the outp"
    "ut tables for the reliability and abnormality of differences) are calculated prior to rounding the I"
    "ndex scores. Thus, on occasion, the differences listed in these tables will disagree (by at most one"
    " point) with the difference that would be obtained from the (rounded) Index scores reported in the  "
    "output table which lists the Index scores plus confidence limits etc.";

} // namespace

QString TfrmTemplate::descriptionText() {
    return QString::fromStdString(CitationSentence) + QStringLiteral("  ") + QString::fromUtf8(DescriptionBody);
}

const QStringList& TfrmTemplate::matrixGuidanceLines() {
    static const QStringList lines = {
        QStringLiteral("The file containing the correlation matrix must have either an .mtx extension (this is the "),
        QStringLiteral("extension that VORNE uses when saving matrix files, or a  .txt extension (files created by "),
        QStringLiteral("Microsoft Notepad have this extension)."),
        QString(),
        QStringLiteral("The correlation matrix must be a lower diagonal matrix with ones (1.000) in the leading "),
        QStringLiteral(
            "diagonal, and with a space between entries (the zero before the decimal point can be omitted)."),
        QString(),
        QStringLiteral("There is the option to have a single title line preceding the matrix. If using this option "),
        QStringLiteral("then it should take the form below:"),
    };
    return lines;
}

const QStringList& TfrmTemplate::matrixExampleLines() {
    static const QStringList lines = {
        QStringLiteral("Title: A sample matrix with four variables"),
        QStringLiteral("1.000"),
        QStringLiteral("0.234 1.000"),
        QStringLiteral("0.435 0.346 1.000"),
        QStringLiteral("0.664 0.564 0.389 1.000"),
    };
    return lines;
}

} // namespace kalden
