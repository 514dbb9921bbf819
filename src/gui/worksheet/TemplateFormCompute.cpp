#include "gui/worksheet/TemplateForm.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableWidget>

#include "gui/book/CaseBook.h"
#include "gui/matrix/SquareMatrixForm.h"
#include "gui/platform/MemoText.h"
#include "gui/report/TemplateResults.h"
#include "matrix/WorkMatrix.h"
#include "report/ScoreCase.h"

// Compute: validation, the matrix step, saving the inputs, scoring and the
// hand-over to the case book; and what the report is told of the window.

namespace kalden {

// ---- Compute ---------------------------------------------------------------------

// The road of one case in its two halves, with the matrix window and the
// last-case file between them: the first bad field gets the warning and the
// focus; a scored case goes to the case book, in the results window.
void TfrmTemplate::cmdComputeClick() {
    const FieldTexts texts = fieldTexts();
    const InputCheck check = readInputRecord(texts, chosenOptions(), config.InputCount, fieldCaptions());
    if (!check.record) {
        warn(check.rejection.message);
        focusField(check.rejection.field);
        return;
    }
    if (config.UseCorrelationMatrix && !matrixEntryStep()) return;
    // After the matrix window the worksheet is hidden; a failed save must not
    // leave the program without a window.
    if (!SaveCurrentData()) {
        show();
        return;
    }
    const ReportContext context = reportContext();
    const ScoredCase scored = scoreCase(*check.record, context);
    for (const std::string& warning : scored.results.warnings) warn(warning);
    if (!results_) {
        show();
        return;
    }
    results_->show();
    hide();
    results_->setWindowTitle(QStringLiteral("Results viewer: ") + QString::fromStdString(ProgramTitle));
    for (const std::string& warning : scored.echoWarnings) warn(warning);
    std::array<std::string, 7> typed;
    std::copy(texts.begin(), texts.begin() + 7, typed.begin());
    // A person typed a little differently from one recorded is asked about.
    if (const Session matched = book_.matchRecordedPerson(session_); matched != session_) setSession(matched);
    book_.addComputed(scored, context, typed, session_);
}

QString matrixOrderMessage(const QString& caption, const QString& text) {
    return QStringLiteral("INPUT ERROR\r(  ") + caption + QStringLiteral("  ") + text +
           QStringLiteral(
               "  )\rThe order of the correlation matrix (the number of variables) must be a whole number "
               "from 1 to 20.");
}

bool TfrmTemplate::matrixEntryStep() {
    const NumberScan order = scanNumber(field(8)->text().toStdString());
    const double n = order.value;
    if (!order.ok || n < 1 || n > MAX_ORDER || n != std::floor(n)) {
        warn(matrixOrderMessage(label(8)->text(), field(8)->text()).toStdString());
        focusField(8);
        return false;
    }
    MatrixSize = static_cast<int>(n);
    auto work = std::make_unique<WorkMatrix>(startingWorkMatrix(StoredMatrix, MatrixSize, PreviousDataLoaded));
    hide();
    const MatrixEntry entry = editSquareMatrix(*work, {MatrixSize, MatrixSize}, QStringLiteral("Matrix Entry"), true,
                                               this, QString(), QString(), services_.boxes, *matrixFiles_);
    if (entry == MatrixEntry::Cancelled) {
        show();
        return false;
    }
    storeAcceptedMatrix(*work, MatrixSize, StoredMatrix);
    return true;
}

// ---- Options and report context ------------------------------------------------

Options TfrmTemplate::chosenOptions() const {
    Options o;
    o.confidenceMethod = confidenceMethodFromItem(RadioGroup2->itemIndex());
    o.differenceBasis = differenceBasisFromItem(RadioGroup3->itemIndex());
    o.sequentialBonferroni = sequentialBonferroniFromItem(RadioGroup1->itemIndex());
    o.abnormalityCriterion = RadioButton3->isChecked()   ? AbnormalityCriterion::Percent15
                             : RadioButton2->isChecked() ? AbnormalityCriterion::Percent10
                                                         : AbnormalityCriterion::Percent5;
    return o;
}

ReportContext TfrmTemplate::reportContext() const {
    ReportContext c;
    c.notes = linesOfMemoText(memoComments->toPlainText());
    c.notesLabel = lblComments->text().toStdString();
    c.useDataGrid = config.UseDataGrid;
    c.gridColumns = config.GridColumns;
    c.gridRows = config.GridRows;
    c.gridColumnsTitle = lblGridColumnsTitle->text().toStdString();
    if (config.UseDataGrid) {
        c.gridCells.assign(static_cast<std::size_t>(std::max(0, config.GridRows)), {});
        for (int row = 0; row < config.GridRows; ++row)
            for (int column = 1; column <= config.GridColumns; ++column) {
                const QTableWidgetItem* item = grdData->item(row, column);
                c.gridCells[static_cast<std::size_t>(row)].push_back(item ? item->text().toStdString() : std::string());
            }
    }
    c.useCorrelationMatrix = config.UseCorrelationMatrix;
    c.matrixSize = MatrixSize;
    c.storedMatrix = StoredMatrix;
    return c;
}

// ---- The validation pass's view of the window ------------------------------------

FieldTexts TfrmTemplate::fieldTexts() const {
    FieldTexts texts;
    for (int k = 1; k <= 8; ++k) texts[static_cast<std::size_t>(k - 1)] = field(k)->text().toStdString();
    return texts;
}

FieldCaptionTexts TfrmTemplate::fieldCaptions() const {
    FieldCaptionTexts captions;
    for (int k = 1; k <= 8; ++k) captions[static_cast<std::size_t>(k - 1)] = label(k)->text().toStdString();
    return captions;
}

void TfrmTemplate::focusField(int k) {
    QLineEdit* f = field(k);
    f->setFocus(Qt::OtherFocusReason);
    f->selectAll();
}

} // namespace kalden
