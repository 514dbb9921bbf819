#include "gui/worksheet/TemplateForm.h"

#include <algorithm>

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/platform/QtServices.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/worksheet/TextLengthLimit.h"

// Building the worksheet: its parts in stacking order, the tab chain and the
// handlers' connections.

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

// The window's controls, made in this order, which is also the order in
// which they stack: the notes field, made before the input panel, is raised
// over it while expanded.
void TfrmTemplate::buildWindow() {
    // The controls stand on a sheet sized to its contents, but for the row
    // of Compute and Exit below it; the window shows the sheet whole wherever
    // the screen has room, and scrolls it where not, that row staying in view.
    sheet_ = new QWidget;
    sheet_->setObjectName(QStringLiteral("sheet"));
    auto* layout = new QVBoxLayout(sheet_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const QMargins margins = layout->contentsMargins();
    layout->setContentsMargins(margins.left(), margins.top(), margins.right(), 0);
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
    scroller_ = new QScrollArea(this);
    scroller_->setObjectName(QStringLiteral("scroller"));
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setWidget(sheet_);
    sheet_->installEventFilter(this);

    footer_ = new QWidget(this);
    footer_->setObjectName(QStringLiteral("footer"));
    auto* footer = new QVBoxLayout(footer_);
    footer->setContentsMargins(margins.left(), layout->spacing(), margins.right(), margins.bottom());
    footer->addWidget(buildButtonRow());

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 0);
    window->setSpacing(0);
    window->addWidget(scroller_);
    window->addWidget(footer_);

    buildTabChain();
    connectHandlers();
    pressButtonsOnEnter(*this);
}

QPlainTextEdit* TfrmTemplate::buildDescription() {
    DescripFld = new QPlainTextEdit(sheet_);
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
    Panel3 = new QFrame(sheet_);
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
    memoComments = new QPlainTextEdit(sheet_);
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
    Panel1 = new QFrame(sheet_);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* inputLayout = new QGridLayout(Panel1);
    inputLayout->addLayout(buildOptionGroups(), 0, 0);
    inputLayout->addLayout(buildFields(), 0, 1);
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
    // In the free space under the fields, so no control moves for them.
    cmdCases = new QPushButton(QStringLiteral("C&ases..."), Panel1);
    cmdCases->setObjectName(QStringLiteral("cmdCases"));
    cmdAbout = new QPushButton(QStringLiteral("About KALDEN"), Panel1);
    cmdAbout->setObjectName(QStringLiteral("cmdAbout"));
    cmdSession = new QPushButton(QStringLiteral("&Person and Session..."), Panel1);
    cmdSession->setObjectName(QStringLiteral("cmdSession"));
    auto* extras = new QHBoxLayout;
    extras->addStretch(1);
    for (QPushButton* b : {cmdCases, cmdAbout, cmdSession}) {
        b->setAutoDefault(false);
        b->setAccessibleName(b->text().remove(u'&'));
        extras->addWidget(b);
    }
    fields->addLayout(extras, 8, 0, 1, 2);
    // The person and session, in the space left under those buttons, the
    // width of the fields: its text wraps there, and neither a long name nor
    // an empty person moves anything for it.
    lblSession = new QLabel(Panel1);
    lblSession->setObjectName(QStringLiteral("lblSession"));
    lblSession->setWordWrap(true);
    lblSession->setTextFormat(Qt::PlainText);
    lblSession->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblSession->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    fields->addWidget(lblSession, 9, 0, 1, 2);
    fields->setRowStretch(9, 1);
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
    tabToTickedChoice({RadioButton1, RadioButton2, RadioButton3});
    return GroupBox1;
}

QGroupBox* TfrmTemplate::buildHelpPanel() {
    pnlHelp =
        new QGroupBox(QStringLiteral(" Guidance in reading in a correlation matrix from an external file :  "), sheet_);
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
    cmdHelp = boldButton(QStringLiteral("Help with matrix..."), sheet_);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    auto* helpRow = new QHBoxLayout;
    helpRow->addWidget(cmdHelp);
    helpRow->addStretch(1);
    return helpRow;
}

QFrame* TfrmTemplate::buildButtonRow() {
    pan1 = new QFrame(footer_);
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
                               cmdHelp, ExitBtn, cmdReturn, cmdCases, cmdAbout, cmdSession});
    for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void TfrmTemplate::connectHandlers() {
    connect(cmdCompute, &QPushButton::clicked, this, &TfrmTemplate::cmdComputeClick);
    connect(btnclearData, &QPushButton::clicked, this, &TfrmTemplate::btnclearDataClick);
    connect(ExitBtn, &QPushButton::clicked, this, &TfrmTemplate::ExitBtnClick);
    connect(cmdHelp, &QPushButton::clicked, this, &TfrmTemplate::cmdHelpClick);
    connect(cmdReturn, &QPushButton::clicked, this, &TfrmTemplate::cmdReturnClick);
    connect(cmdAbout, &QPushButton::clicked, this, &TfrmTemplate::cmdAboutClick);
    connect(cmdCases, &QPushButton::clicked, this, &TfrmTemplate::cmdCasesClick);
    connect(cmdSession, &QPushButton::clicked, this, &TfrmTemplate::cmdSessionClick);
}

} // namespace kalden
