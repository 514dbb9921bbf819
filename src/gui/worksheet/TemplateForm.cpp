#include "gui/worksheet/TemplateForm.h"

#include <algorithm>
#include <memory>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "gui/cases/CasesWindow.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/TemplateResults.h"

namespace kalden {

// ---- The worksheet -----------------------------------------------------------

TfrmTemplate::TfrmTemplate(const Services& services, CaseBook& book, const TemplateConfig& configuration,
                           QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      configuration_(configuration),
      platformMatrixFiles_(std::make_unique<QtMatrixFileDialog>()),
      matrixFiles_(platformMatrixFiles_.get()),
      services_(services),
      book_(book) {
    setObjectName(QStringLiteral("frmTemplate"));
    buildWindow();
    focusChangedConnection_ = connect(qApp, &QApplication::focusChanged, this, &TfrmTemplate::focusChanged);
    FormCreate();
    book_.setWorksheet(
        {[this](const ErasedPeople& erased) { return holdsPerson(erased); }, [this] { btnclearDataClick(); }});
}

// The focus moves while the base widget is being destroyed; by then this
// window's own members are gone, so it must hear no more of it.
TfrmTemplate::~TfrmTemplate() {
    disconnect(focusChangedConnection_);
    book_.setWorksheet({});
}

void TfrmTemplate::setMatrixFileDialog(MatrixFileDialog* dialog) {
    matrixFiles_ = dialog ? dialog : platformMatrixFiles_.get();
}

// Creation of the worksheet.
void TfrmTemplate::FormCreate() {
    // 1.
    pnlHelp->hide();
    cmdReturn->hide();
    memoComments->clear();
    StoredMatrix.fill(0.0);
    // 2.
    for (QLineEdit* f : inputs_) f->clear();
    // 3.
    lblGridColumnsTitle->hide();
    for (QLabel* l : lblCol) l->hide();
    lblItems->hide();
    // 4.
    setWindowTitle(QString::fromStdString(ProgramTitle));
    DescripFld->setPlainText(descriptionText());
    for (int k = 1; k <= 8; ++k) {
        const QString caption = QString::fromStdString(FieldCaptions[static_cast<std::size_t>(k - 1)]);
        label(k)->setText(caption);
        field(k)->setAccessibleName(caption);
    }
    // 5.
    Label_N->hide();
    lbl_r->hide();
    // 6. The configuration handed over by the program (the shipped
    // program's is TemplateConfig's defaults).
    config = configuration_;
    lblGridColumnsTitle->setText(QStringLiteral("Column names"));
    // 7.
    cmdHelp->setVisible(config.UseCorrelationMatrix);
    // 8. The grid's place in the input panel follows the layout: its strip
    // lies between the fields and the criterion box.
    grdData->setVisible(config.UseDataGrid);
    gridPane->setVisible(config.UseDataGrid);
    // 9.
    LoadPreviousData();
    // 10.
    for (int k = 1; k <= 7; ++k) {
        field(k)->setVisible(config.InputCount >= k);
        label(k)->setVisible(config.InputCount >= k);
    }
    field(8)->setVisible(config.InputCount == 8);
    label(8)->setVisible(config.InputCount == 8);
    // Beside the specified steps: the person and session of the last start.
    loadSession();
}

// The focus rule, each time the window becomes visible.
void TfrmTemplate::FormShow() {
    if (!centred_) {
        centred_ = true;
        QScreen* opening = screenToOpenOn(nullptr);
        setScreen(opening);
        fitSheet();
        placeOnScreen(*this, opening);
    }
    if (field(1)->text().isEmpty()) {
        field(1)->setFocus(Qt::OtherFocusReason);
        return;
    }
    raise();
    activateWindow();
    const int k = config.StoredValueCount;
    if (k >= 1 && k <= 7) {
        QLineEdit* target = field(k + 1)->isVisibleTo(this) ? field(k + 1) : field(k);
        target->setFocus(Qt::OtherFocusReason);
        target->selectAll();
    }
}

void TfrmTemplate::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    placeNotes();
    placeGrid();
    if (!event->spontaneous()) FormShow();
    // The focus may already be where FormShow puts it, so no focus change
    // brings it into view where the sheet scrolls: once the window has its
    // size, it is brought there.
    QTimer::singleShot(0, this, [this] {
        if (QWidget* focused = focusWidget(); focused && sheet_->isAncestorOf(focused))
            scrollIntoView(*scroller_, *focused);
    });
}

// Closing through the window frame ends the program without a question.
void TfrmTemplate::closeEvent(QCloseEvent* event) {
    event->accept();
    services_.host.endProgram();
}

void TfrmTemplate::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

// On activation with the grid shown: column 2, row 0; with no data columns
// but rows, column 1, row 1.
void TfrmTemplate::FormActivate() {
    if (!grdData->isVisibleTo(this)) return;
    if (config.GridColumns > 0)
        setGridCurrentCell(2, 0);
    else if (config.GridRows > 0)
        setGridCurrentCell(1, 1);
}

// The description gets a scroll bar when it is long.
void TfrmTemplate::DescripFldChange() {
    DescripFld->setVerticalScrollBarPolicy(
        DescripFld->toPlainText().size() > DescriptionScrollBarLength ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

// The window is the sheet's size, and the row of buttons under it, where
// the screen has room for them, as on a desktop's screen at the usual
// scaling; on a smaller or more scaled one it takes the room there is, and
// the sheet scrolls within it.
void TfrmTemplate::fitSheet() {
    const QScreen* on = screen();
    if (!sheet_ || !on) return;
    const int footer = footer_->sizeHint().height();
    const QSize whole = sheet_->size();
    const QSize room = roomOnScreen(*this, on) - QSize(0, footer);
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller_);
    QSize size = whole.boundedTo(room);
    // A scroll bar across takes height, one down takes width: twice, since
    // either may bring the other.
    for (int pass = 0; pass < 2; ++pass) {
        if (size.width() < whole.width()) size.setHeight(std::min(room.height(), whole.height() + bar));
        if (size.height() < whole.height()) size.setWidth(std::min(room.width(), whole.width() + bar));
    }
    setFixedSize(size.width(), size.height() + footer);
}

// ---- The notes field -------------------------------------------------------

int TfrmTemplate::notesCollapsedHeight() const {
    const QFontMetrics fm(memoComments->font());
    const int chrome =
        2 * memoComments->frameWidth() + 2 * static_cast<int>(memoComments->document()->documentMargin());
    return std::max(25, fm.lineSpacing() + chrome);
}

int TfrmTemplate::notesExpandedHeight() const {
    const QFontMetrics fm(memoComments->font());
    const int chrome =
        2 * memoComments->frameWidth() + 2 * static_cast<int>(memoComments->document()->documentMargin());
    return std::max(70, 4 * fm.lineSpacing() + chrome);
}

// The lines the field shows (a long line wraps into several), not counting
// the empty place after a final line break.
int TfrmTemplate::notesLineCount() const {
    const QTextDocument* doc = memoComments->document();
    int lines = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) lines += std::max(1, b.lineCount());
    if (doc->lastBlock().length() <= 1) --lines;
    return lines;
}

void TfrmTemplate::setNotesHeight(int height) {
    notesHeight_ = height;
    placeNotes();
}

void TfrmTemplate::placeNotes() {
    if (!notesSlot_ || !memoComments) return;
    const QPoint topLeft = notesSlot_->mapTo(sheet_, QPoint(0, 0));
    memoComments->setGeometry(topLeft.x(), topLeft.y(), notesSlot_->width(), notesHeight_);
    if (notesHeight_ > notesCollapsedHeight()) memoComments->raise();
}

void TfrmTemplate::memoCommentsEnter() {
    if (notesLineCount() > 1) setNotesHeight(notesExpandedHeight());
}

void TfrmTemplate::memoCommentsKeyUp(int key) {
    if (notesLineCount() > 1 || key == Qt::Key_Return || key == Qt::Key_Enter) setNotesHeight(notesExpandedHeight());
}

void TfrmTemplate::memoCommentsExit() { setNotesHeight(notesCollapsedHeight()); }

// ---- The input fields' key handlers ----------------------------------------

bool TfrmTemplate::txtInputKeyPress(QLineEdit*, const QString& text, int key) {
    // Keys that produce no character (arrows, Delete, Home, End) pass.
    if (text.isEmpty() || key == Qt::Key_Delete) return false;
    for (const QChar c : text) {
        const char ch = c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '?';
        const FilteredKey filtered = filterInputKey(ch);
        if (!filtered.warning.empty()) {
            warn(filtered.warning, true);
            return true; // discarded
        }
    }
    return false;
}

// The message is shown while the field still holds the long text; the cut
// follows when the box is closed.
void TfrmTemplate::txtInputKeyUp(QLineEdit* f) {
    const std::string text = f->text().toStdString();
    const LimitedText limited = limitInputLength(text);
    if (limited.warning.empty()) return;
    warn(limited.warning, true);
    f->setText(QString::fromStdString(limited.text));
    f->selectAll();
}

void TfrmTemplate::warn(const std::string& text, bool beepFirst) {
    if (beepFirst) services_.boxes.beep();
    services_.boxes.warning(QString::fromStdString(text));
}

void TfrmTemplate::txtInput1Exit() {
    if (grdData->isVisibleTo(this)) setGridCurrentCell(1, 0);
}

void TfrmTemplate::grdDataExit() { setGridCurrentCell(1, 0); }

// The current cell goes to a data cell that exists: the column is held to
// 1 .. GridColumns and the row to 0 .. GridRows - 1, so that a grid with a
// single data column gets column 1 and a grid without data cells keeps none.
void TfrmTemplate::setGridCurrentCell(int column, int row) {
    const int lastColumn = grdData->columnCount() - 1;
    const int lastRow = grdData->rowCount() - 1;
    if (lastColumn < 1 || lastRow < 0) return;
    grdData->setCurrentCell(std::clamp(row, 0, lastRow), std::clamp(column, 1, lastColumn));
}

// Leaving a control: the focus moves from it (or, for the grid, from its
// cell editor) to another control of this window. A message box or another
// window taking the focus for a while is not leaving it.
void TfrmTemplate::focusChanged(QWidget* old, QWidget* now) {
    if (!now || now->window() != this) return;
    // Where the sheet scrolls, the control the focus reaches is brought into view.
    if (sheet_->isAncestorOf(now)) scrollIntoView(*scroller_, *now);
    if (!old) return;
    const auto inGrid = [this](QWidget* w) { return w == grdData || grdData->isAncestorOf(w); };
    if (inGrid(old) && !inGrid(now)) grdDataExit();
    if (old == field(1)) txtInput1Exit();
}

bool TfrmTemplate::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == memoComments) {
        if (type == QEvent::FocusIn || type == QEvent::FocusOut) {
            // A menu or another window taking the focus for a while is not
            // entering or leaving the field.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
                if (type == QEvent::FocusIn)
                    memoCommentsEnter();
                else
                    memoCommentsExit();
            }
        } else if (type == QEvent::KeyRelease) {
            memoCommentsKeyUp(static_cast<QKeyEvent*>(event)->key());
        }
        return false;
    }
    if (watched == sheet_) {
        if (type == QEvent::Resize) fitSheet();
        return false;
    }
    if (watched == notesSlot_ || watched == Panel3) {
        if (type == QEvent::Move || type == QEvent::Resize) placeNotes();
        return false;
    }
    if (watched == gridPane || watched == Panel1) {
        if (type == QEvent::Move || type == QEvent::Resize) placeGrid();
        return false;
    }
    for (QLineEdit* f : inputs_) {
        if (watched != f) continue;
        if (type == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            // A key with Alt (and not Ctrl, which with Alt is AltGr typing a
            // character) is an accelerator that no button took: it types
            // nothing and is no character to warn about.
            const Qt::KeyboardModifiers m = key->modifiers();
            if ((m & Qt::AltModifier) && !(m & Qt::ControlModifier)) return true;
            return txtInputKeyPress(f, key->text(), key->key());
        }
        if (type == QEvent::KeyRelease) txtInputKeyUp(f);
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Buttons --------------------------------------------------------------------

void TfrmTemplate::ExitBtnClick() {
    if (services_.boxes.confirm(QStringLiteral("Exit from program?"))) services_.host.endProgram();
}

void TfrmTemplate::cmdHelpClick() {
    pnlHelp->show();
    pnlHelp->raise();
    cmdCompute->hide();
    btnclearData->hide();
    ExitBtn->hide();
    cmdReturn->show();
}

void TfrmTemplate::cmdAboutClick() { services_.boxes.about(aboutText(services_.host)); }

void TfrmTemplate::setResultsWindow(TfrmTemplateResults* results) {
    results_ = results;
    if (!results_) return;
    connect(results_, &TfrmTemplateResults::casesRequested, this, &TfrmTemplate::cmdCasesClick);
}

void TfrmTemplate::cmdCasesClick() {
    if (!cases_) {
        cases_ = new TfrmCases(services_, book_, this);
        connect(cases_, &TfrmCases::openInWorksheet, this, &TfrmTemplate::openStoredCase);
        openAtDesignedSize(*cases_, *cases_->tblCases, QSize(320, 120));
        placeOnScreen(*cases_, screen());
    } else {
        cases_->reload();
    }
    cases_->show();
    cases_->raise();
    cases_->activateWindow();
}

void TfrmTemplate::openStoredCase(const StoredCase& c) {
    const CaseRecord& r = c.record;
    for (int k = 1; k <= 7; ++k)
        field(k)->setText(QString::fromStdString(r.fieldTexts[static_cast<std::size_t>(k - 1)]));
    RadioGroup2->setItemIndex(static_cast<int>(r.input.confidenceMethod));
    RadioGroup3->setItemIndex(r.input.differenceBasis == DifferenceBasis::Observed ? 0 : 1);
    RadioGroup1->setItemIndex(r.input.sequentialBonferroni ? 1 : 0);
    RadioButton1->setChecked(r.input.abnormalityCriterion == AbnormalityCriterion::Percent5);
    RadioButton2->setChecked(r.input.abnormalityCriterion == AbnormalityCriterion::Percent10);
    RadioButton3->setChecked(r.input.abnormalityCriterion == AbnormalityCriterion::Percent15);
    QStringList notes;
    for (const std::string& line : r.context.notes) notes << QString::fromStdString(line);
    memoComments->setPlainText(notes.join(u'\n'));
    if (config.UseDataGrid)
        for (std::size_t row = 0; row < r.context.gridCells.size(); ++row)
            for (std::size_t column = 0; column < r.context.gridCells[row].size(); ++column)
                if (QTableWidgetItem* item = grdData->item(static_cast<int>(row), static_cast<int>(column) + 1))
                    item->setText(QString::fromStdString(r.context.gridCells[row][column]));
    if (config.UseCorrelationMatrix && r.context.matrixSize > 0) {
        StoredMatrix = r.context.storedMatrix;
        MatrixSize = r.context.matrixSize;
    }
    setSession(r.session);
    if (results_) results_->hide();
    show();
    raise();
    activateWindow();
    field(1)->setFocus(Qt::OtherFocusReason);
}

void TfrmTemplate::cmdReturnClick() {
    cmdReturn->hide();
    pnlHelp->hide();
    cmdCompute->show();
    btnclearData->show();
    ExitBtn->show();
}

} // namespace kalden
