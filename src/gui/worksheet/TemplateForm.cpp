#include "gui/worksheet/TemplateForm.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFile>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "files/FileErrors.h"
#include "files/PreviousDataFile.h"
#include "gui/matrix/SquareMatrixForm.h"
#include "gui/platform/MemoText.h"
#include "gui/platform/QtServices.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/TemplateResults.h"
#include "gui/worksheet/TextLengthLimit.h"
#include "matrix/WorkMatrix.h"
#include "scoring/ScoringEngine.h"

namespace kalden {

namespace {

QPlainTextEdit* readOnlyText(const QStringList& lines, QWidget* parent) {
    auto* t = new QPlainTextEdit(parent);
    t->setReadOnly(true);
    t->setFocusPolicy(Qt::NoFocus);
    t->setLineWrapMode(QPlainTextEdit::NoWrap);
    t->setPlainText(lines.join(u'\n'));
    return t;
}

} // namespace

// ---- The worksheet -----------------------------------------------------------

TfrmTemplate::TfrmTemplate(const Services& services, const TemplateConfig& configuration, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      configuration_(configuration),
      platformMatrixFiles_(std::make_unique<QtMatrixFileDialog>()),
      matrixFiles_(platformMatrixFiles_.get()),
      services_(services),
      messages_(services.boxes) {
    setObjectName(QStringLiteral("frmTemplate"));
    buildWindow();
    focusChangedConnection_ = connect(qApp, &QApplication::focusChanged, this, &TfrmTemplate::focusChanged);
    FormCreate();
}

// The focus moves while the base widget is being destroyed; by then this
// window's own members are gone, so it must hear no more of it.
TfrmTemplate::~TfrmTemplate() { disconnect(focusChangedConnection_); }

void TfrmTemplate::setMatrixFileDialog(MatrixFileDialog* dialog) {
    matrixFiles_ = dialog ? dialog : platformMatrixFiles_.get();
}

// The window's controls, made in this order, which is also the order in
// which they stack: the notes field, made before the input panel, is raised
// over it while expanded.
void TfrmTemplate::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize); // fixed border, sized to its contents
    layout->addWidget(buildDescription());
    layout->addWidget(buildNotesRow());
    buildNotesField();

    // The input panel, and the help panel that covers it when shown.
    QFrame* inputPanel = buildInputPanel();
    QGroupBox* helpPanel = buildHelpPanel();
    auto* panels = new QGridLayout;
    panels->addWidget(inputPanel, 0, 0);
    panels->addWidget(helpPanel, 0, 0);
    layout->addLayout(panels);

    layout->addLayout(buildHelpButtonRow());
    layout->addWidget(buildButtonRow());
    buildTabChain();
    connectHandlers();
}

QPlainTextEdit* TfrmTemplate::buildDescription() {
    DescripFld = new QPlainTextEdit(this);
    DescripFld->setObjectName(QStringLiteral("DescripFld"));
    DescripFld->setAccessibleName(QStringLiteral("Description"));
    DescripFld->setReadOnly(true);
    DescripFld->setFocusPolicy(Qt::NoFocus);
    {
        QPalette p = DescripFld->palette();
        p.setColor(QPalette::Base, p.color(QPalette::Button)); // button-face colour
        DescripFld->setPalette(p);
        const QFontMetrics fm(DescripFld->font());
        DescripFld->setFixedHeight(6 * fm.lineSpacing() + 2 * DescripFld->frameWidth() +
                                   2 * static_cast<int>(DescripFld->document()->documentMargin()));
    }
    connect(DescripFld, &QPlainTextEdit::textChanged, this, &TfrmTemplate::DescripFldChange);
    return DescripFld;
}

// The notes row. The notes field floats over its place in the row, so
// that when it grows it drops over the input panel.
QFrame* TfrmTemplate::buildNotesRow() {
    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* notesRow = new QHBoxLayout(Panel3);
    lblComments = new QLabel(QStringLiteral("User's Notes:"), Panel3);
    lblComments->setObjectName(QStringLiteral("lblComments"));
    lblComments->setFont(bolded(lblComments->font()));
    notesRow->addWidget(lblComments);
    notesSlot_ = new QWidget(Panel3);
    notesSlot_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    notesRow->addWidget(notesSlot_, 1);
    return Panel3;
}

void TfrmTemplate::buildNotesField() {
    memoComments = new QPlainTextEdit(this);
    memoComments->setObjectName(QStringLiteral("memoComments"));
    memoComments->setAccessibleName(QStringLiteral("User's Notes:"));
    memoComments->setFont(fixedPitchFont());
    memoComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoComments->setTabChangesFocus(true);
    memoComments->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    lblComments->setBuddy(memoComments);
    notesSlot_->setFixedHeight(notesCollapsedHeight());
    notesHeight_ = notesCollapsedHeight();
    notesSlot_->setMinimumWidth(QFontMetrics(memoComments->font()).horizontalAdvance(QString(60, u'0')));
    memoComments->installEventFilter(this);
    notesSlot_->installEventFilter(this);
    Panel3->installEventFilter(this);
    new TextLengthLimit(memoComments, NotesMaxLength); // at most 250 characters, however they arrive
}

QFrame* TfrmTemplate::buildInputPanel() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* inputLayout = new QGridLayout(Panel1);
    inputLayout->addLayout(buildOptionGroups(), 0, 0);
    inputLayout->addLayout(buildFields(), 0, 1, Qt::AlignTop);
    inputLayout->addWidget(buildGridPane(), 1, 0, 1, 2);
    inputLayout->addWidget(buildCriterionBox(), 2, 0, 1, 2);
    return Panel1;
}

QLayout* TfrmTemplate::buildOptionGroups() {
    RadioGroup2 = new RadioGroupBox(QStringLiteral("95% or 90% CLs using traditional or Glutting method..."),
                                    {QStringLiteral("95% CLs using traditional method"),
                                     QStringLiteral("90% CLs using traditional method"),
                                     QStringLiteral("95% CLs using Glutting method"),
                                     QStringLiteral("90% CLs using Glutting method")},
                                    Panel1);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    RadioGroup3 =
        new RadioGroupBox(QStringLiteral("Reliability of differences..."),
                          {QStringLiteral("Between observed scores"), QStringLiteral("Between estimated true scores")},
                          Panel1);
    RadioGroup3->setObjectName(QStringLiteral("RadioGroup3"));
    RadioGroup1 =
        new RadioGroupBox(QStringLiteral("Reliability of differences..."),
                          {QStringLiteral("Do NOT apply Bonferroni"), QStringLiteral("Apply sequential Bonferroni")},
                          Panel1);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    auto* options = new QVBoxLayout;
    options->addWidget(RadioGroup2);
    options->addWidget(RadioGroup3);
    options->addWidget(RadioGroup1);
    options->addStretch(1);
    return options;
}

QLayout* TfrmTemplate::buildFields() {
    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(12);
    fields->setColumnStretch(0, 1);
    for (int k = 1; k <= 8; ++k) {
        auto* lbl = new QLabel(Panel1);
        lbl->setObjectName(QStringLiteral("Label%1").arg(k));
        auto* edit = new QLineEdit(Panel1);
        edit->setObjectName(k == 8 ? QStringLiteral("txtinput8") : QStringLiteral("txtInput%1").arg(k));
        edit->setFont(bolded(edit->font()));
        const QFontMetrics fm(edit->font());
        edit->setFixedWidth(std::max(56, fm.horizontalAdvance(QStringLiteral("-0000.0")) + 16));
        edit->installEventFilter(this);
        lbl->setBuddy(edit);
        fields->addWidget(lbl, k - 1, 0);
        fields->addWidget(edit, k - 1, 1);
        labels_[static_cast<std::size_t>(k - 1)] = lbl;
        inputs_[static_cast<std::size_t>(k - 1)] = edit;
    }
    return fields;
}

// The data grid and its headings (hidden in this program). They stand
// in a strip of their own across the input panel, placed by SizeGrid.
QWidget* TfrmTemplate::buildGridPane() {
    gridPane = new QWidget(Panel1);
    gridPane->setObjectName(QStringLiteral("gridPane"));
    gridPane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    gridPane->installEventFilter(this);
    Panel1->installEventFilter(this);
    lblGridColumnsTitle = new QLabel(gridPane);
    lblGridColumnsTitle->setObjectName(QStringLiteral("lblGridColumnsTitle"));
    lblGridColumnsTitle->setAlignment(Qt::AlignCenter);
    lblItems = new QLabel(QStringLiteral("Items"), gridPane);
    lblItems->setObjectName(QStringLiteral("lblItems"));
    lblItems->setAccessibleName(QStringLiteral("Items"));
    lblItems->setAlignment(Qt::AlignCenter);
    for (int k = 1; k <= 6; ++k) {
        auto* l = new QLabel(QString::number(k), gridPane);
        l->setObjectName(QStringLiteral("lblCol%1").arg(k));
        l->setAccessibleName(QStringLiteral("Column %1").arg(k));
        l->setAlignment(Qt::AlignCenter);
        lblCol[static_cast<std::size_t>(k - 1)] = l;
    }
    grdData = new QTableWidget(gridPane);
    grdData->setObjectName(QStringLiteral("grdData"));
    grdData->setAccessibleName(QStringLiteral("Data grid"));
    grdData->horizontalHeader()->hide(); // no fixed rows
    grdData->verticalHeader()->hide();
    grdData->horizontalHeader()->setMinimumSectionSize(1);
    grdData->verticalHeader()->setMinimumSectionSize(1);
    grdData->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grdData->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Label_N = new QLabel(QStringLiteral("N"), gridPane);
    Label_N->setObjectName(QStringLiteral("Label_N"));
    Label_N->move(179, 13);
    lbl_r = new QLabel(QStringLiteral("r"), gridPane);
    lbl_r->setObjectName(QStringLiteral("lbl_r"));
    lbl_r->move(19, 53);
    return gridPane;
}

QGroupBox* TfrmTemplate::buildCriterionBox() {
    GroupBox1 = new QGroupBox(
        QStringLiteral(
            "An abnormally low score (and abnormally large difference) is defined as being exhibited by less than.."),
        Panel1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setAccessibleName(GroupBox1->title());
    auto* criterion = new QHBoxLayout(GroupBox1);
    RadioButton1 = new QRadioButton(QStringLiteral("5% of population"), GroupBox1);
    RadioButton2 = new QRadioButton(QStringLiteral("10% of population"), GroupBox1);
    RadioButton3 = new QRadioButton(QStringLiteral("15% of population"), GroupBox1);
    int n = 1;
    for (QRadioButton* b : {RadioButton1, RadioButton2, RadioButton3}) {
        b->setObjectName(QStringLiteral("RadioButton%1").arg(n++));
        b->setAccessibleName(b->text());
        criterion->addWidget(b, 1);
    }
    RadioButton1->setChecked(true);
    return GroupBox1;
}

QGroupBox* TfrmTemplate::buildHelpPanel() {
    pnlHelp =
        new QGroupBox(QStringLiteral(" Guidance in reading in a correlation matrix from an external file :  "), this);
    pnlHelp->setObjectName(QStringLiteral("pnlHelp"));
    pnlHelp->setAccessibleName(pnlHelp->title().trimmed());
    pnlHelp->setAutoFillBackground(true); // it covers the input panel while shown
    pnlHelp->setFont(bolded(pnlHelp->font()));
    QPalette navy = pnlHelp->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    navy.setColor(QPalette::Text, QColor(0, 0, 128));
    pnlHelp->setPalette(navy);
    const QFont fixed = fixedPitchFont();
    auto* helpLayout = new QVBoxLayout(pnlHelp);
    QPlainTextEdit* guidance = readOnlyText(matrixGuidanceLines(), pnlHelp);
    guidance->setFont(fixed);
    guidance->setObjectName(QStringLiteral("memoGuidance"));
    helpLayout->addWidget(guidance, 3);
    auto* titleLine = new QLabel(QStringLiteral("Title: This is a correlation matrix"), pnlHelp);
    titleLine->setObjectName(QStringLiteral("lblTitleExample"));
    QFont titleFont = fixed;
    titleFont.setPixelSize(15);
    titleLine->setFont(titleFont);
    QPalette black = titleLine->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    black.setColor(QPalette::Text, Qt::black);
    titleLine->setPalette(black);
    helpLayout->addWidget(titleLine);
    auto* below =
        new QLabel(QStringLiteral("Below is an example of a file setup for a correlation matrix that has 4 variables:"),
                   pnlHelp);
    below->setFont(fixed);
    helpLayout->addWidget(below);
    QPlainTextEdit* example = readOnlyText(matrixExampleLines(), pnlHelp);
    example->setObjectName(QStringLiteral("memoExample"));
    example->setFont(fixed);
    example->setPalette(black);
    helpLayout->addWidget(example, 2);
    return pnlHelp;
}

QLayout* TfrmTemplate::buildHelpButtonRow() {
    cmdHelp = boldButton(QStringLiteral("Help with matrix..."), this);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    auto* helpRow = new QHBoxLayout;
    helpRow->addWidget(cmdHelp);
    helpRow->addStretch(1);
    return helpRow;
}

QFrame* TfrmTemplate::buildButtonRow() {
    pan1 = new QFrame(this);
    pan1->setObjectName(QStringLiteral("pan1"));
    pan1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* buttons = new QHBoxLayout(pan1);
    cmdCompute = boldButton(QStringLiteral("Compute"), pan1);
    cmdCompute->setObjectName(QStringLiteral("cmdCompute"));
    btnclearData = boldButton(QStringLiteral("Clear Data "), pan1);
    btnclearData->setObjectName(QStringLiteral("btnclearData"));
    cmdReturn = boldButton(QStringLiteral("Close Help"), pan1);
    cmdReturn->setObjectName(QStringLiteral("cmdReturn"));
    ExitBtn = boldButton(QStringLiteral("Exit"), pan1);
    ExitBtn->setObjectName(QStringLiteral("ExitBtn"));
    buttons->addWidget(cmdCompute);
    buttons->addSpacing(16);
    buttons->addWidget(btnclearData);
    buttons->addStretch(1);
    buttons->addWidget(cmdReturn);
    buttons->addStretch(1);
    buttons->addWidget(ExitBtn);
    return pan1;
}

// Tab order: the input fields, the grid, the option groups, the radio
// buttons, the notes, Compute, Clear Data, the help button, Exit.
void TfrmTemplate::buildTabChain() {
    std::vector<QWidget*> chain(inputs_.begin(), inputs_.end());
    chain.push_back(grdData);
    for (RadioGroupBox* g : {RadioGroup1, RadioGroup2, RadioGroup3})
        for (int i = 0; i < g->count(); ++i) chain.push_back(g->item(i));
    chain.insert(chain.end(), {RadioButton1, RadioButton2, RadioButton3, memoComments, cmdCompute, btnclearData,
                               cmdHelp, ExitBtn, cmdReturn});
    for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void TfrmTemplate::connectHandlers() {
    connect(cmdCompute, &QPushButton::clicked, this, &TfrmTemplate::cmdComputeClick);
    connect(btnclearData, &QPushButton::clicked, this, &TfrmTemplate::btnclearDataClick);
    connect(ExitBtn, &QPushButton::clicked, this, &TfrmTemplate::ExitBtnClick);
    connect(cmdHelp, &QPushButton::clicked, this, &TfrmTemplate::cmdHelpClick);
    connect(cmdReturn, &QPushButton::clicked, this, &TfrmTemplate::cmdReturnClick);
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
}

// The focus rule, each time the window becomes visible.
void TfrmTemplate::FormShow() {
    if (!centred_) {
        centred_ = true;
        centreOnScreen(*this, screen());
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
    const QPoint topLeft = notesSlot_->mapTo(this, QPoint(0, 0));
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
        if (filterInputKey(ch, messages_) == '\0') return true; // discarded
    }
    return false;
}

void TfrmTemplate::txtInputKeyUp(QLineEdit* f) {
    const std::string text = f->text().toStdString();
    const std::string limited = limitInputLength(text, messages_);
    if (limited == text) return;
    f->setText(QString::fromStdString(limited));
    f->selectAll();
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
    if (!old || !now || now->window() != this) return;
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
            return txtInputKeyPress(f, key->text(), key->key());
        }
        if (type == QEvent::KeyRelease) txtInputKeyUp(f);
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Buttons --------------------------------------------------------------------

void TfrmTemplate::cmdComputeClick() {
    WorksheetInputFields fields(*this);
    const std::optional<InputRecord> record = readInputRecord(fields, config.InputCount, messages_);
    if (!record) return;
    if (config.UseCorrelationMatrix && !matrixEntryStep()) return;
    // After the matrix window the worksheet is hidden; a failed save must not
    // leave the program without a window.
    if (!SaveCurrentData()) {
        show();
        return;
    }
    const ComputationResults results = computeAll(*record, messages_);
    if (!results_) {
        show();
        return;
    }
    results_->show();
    hide();
    results_->setWindowTitle(QStringLiteral("Results viewer: ") + QString::fromStdString(ProgramTitle));
    results_->appendReport(*record, results, reportContext(), messages_);
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
        messages_.warn(matrixOrderMessage(label(8)->text(), field(8)->text()).toStdString());
        field(8)->setFocus(Qt::OtherFocusReason);
        field(8)->selectAll();
        return false;
    }
    MatrixSize = static_cast<int>(n);
    auto work = std::make_unique<WorkMatrix>(startingWorkMatrix(StoredMatrix, MatrixSize, PreviousDataLoaded));
    hide();
    const MatrixEntry entry = editSquareMatrix(*work, {MatrixSize, MatrixSize}, QStringLiteral("Matrix Entry"), true,
                                               this, QString(), QString(), services_.boxes, *matrixFiles_);
    if (entry == MatrixEntry::Cancelled) {
        MatrixEntryCancelled = false;
        show();
        return false;
    }
    storeAcceptedMatrix(*work, MatrixSize, StoredMatrix);
    return true;
}

void TfrmTemplate::btnclearDataClick() {
    for (QLineEdit* f : inputs_) f->clear();
    memoComments->clear();
    std::string error;
    const std::string path = dataFilePath();
    if (!deletePreviousDataFile(path, error))
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::DeleteLastCase, path, error)));
    StoredMatrix.fill(0.0);
    emptyGridCells();
    field(1)->setFocus(Qt::OtherFocusReason);
}

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

void TfrmTemplate::cmdReturnClick() {
    cmdReturn->hide();
    pnlHelp->hide();
    cmdCompute->show();
    btnclearData->show();
    ExitBtn->show();
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

// ---- The previous-data file -----------------------------------------------------

PreviousDataLocation TfrmTemplate::dataLocation() const {
    return previousDataLocation(QFile::encodeName(services_.host.dataHome()).toStdString(),
                                QFile::encodeName(services_.host.executablePath()).toStdString(), config.dataFileName);
}

std::string TfrmTemplate::dataFilePath() const { return dataLocation().userFile; }

void TfrmTemplate::LoadPreviousData() {
    const std::string path = dataLocation().startFile();
    const PreviousDataFileResult file = loadPreviousDataFile(path, config);
    if (!file.found) {
        PreviousDataLoaded = false;
        if (config.UseDataGrid) {
            SizeGrid();
            emptyGridCells();
        }
        return;
    }
    const PreviousDataReading& r = file.reading;
    for (int k = 1; k <= r.fieldsRead && k <= 8; ++k)
        field(k)->setText(QString::fromStdString(r.fieldTexts[static_cast<std::size_t>(k - 1)]));
    update();
    if (config.UseDataGrid) {
        // Sized by fields 1 and 2 once they were read; the cells read before
        // any failure are shown.
        if (!r.gridCells.empty() || r.gridRestored) {
            config.GridColumns = r.gridColumns;
            config.GridRows = r.gridRows;
        }
        SizeGrid();
        emptyGridCells();
        for (std::size_t row = 0; row < r.gridCells.size(); ++row)
            for (std::size_t column = 0; column < r.gridCells[row].size(); ++column)
                if (QTableWidgetItem* item = grdData->item(static_cast<int>(row), static_cast<int>(column) + 1))
                    item->setText(QString::fromStdString(r.gridCells[row][column]));
    }
    if (config.UseCorrelationMatrix) {
        StoredMatrix = r.storedMatrix;
        if (r.matrixRestored) cmdCompute->setText(QStringLiteral("Continue"));
    }
    if (!r.ok()) {
        PreviousDataLoaded = false;
        // A fault in the content ("Invalid numeric input") is reported as it stands.
        services_.boxes.error(
            systemReason(file.unreadable ? fileErrorMessage(FileAction::ReadLastCase, path, r.error) : r.error));
        return;
    }
    PreviousDataLoaded = true;
}

bool TfrmTemplate::SaveCurrentData() {
    PreviousData data;
    for (int k = 1; k <= 8; ++k) data.fieldTexts[static_cast<std::size_t>(k - 1)] = field(k)->text().toStdString();
    if (config.UseDataGrid) data.gridCells = reportContext().gridCells;
    data.matrixSize = MatrixSize;
    data.storedMatrix = StoredMatrix;
    std::string error;
    const std::string path = dataFilePath();
    if (!savePreviousDataFile(path, composePreviousDataContent(data, config), error)) {
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::SaveLastCase, path, error)));
        return false;
    }
    return true;
}

// ---- The validation pass's view of the window ------------------------------------

std::string WorksheetInputFields::fieldText(int k) const { return form_.field(k)->text().toStdString(); }

std::string WorksheetInputFields::fieldCaption(int k) const { return form_.label(k)->text().toStdString(); }

void WorksheetInputFields::focusField(int k) {
    QLineEdit* f = form_.field(k);
    f->setFocus(Qt::OtherFocusReason);
    f->selectAll();
}

Options WorksheetInputFields::options() const { return form_.chosenOptions(); }

} // namespace kalden
