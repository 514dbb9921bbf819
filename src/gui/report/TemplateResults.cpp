#include "gui/report/TemplateResults.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "files/FileErrors.h"
#include "files/TextFile.h"
#include "files/TextLines.h"
#include "files/Utf8Path.h"
#include "gui/platform/FlowLayout.h"
#include "gui/platform/MemoText.h"
#include "gui/platform/QtServices.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/report/PdfExport.h"
#include "gui/report/ProfileChartWindow.h"
#include "gui/report/SummaryExport.h"
#include "report/CaseSummary.h"

namespace kalden {

TfrmTemplateResults::TfrmTemplateResults(const Services& services, CaseBook& book, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), services_(services), book_(book) {
    setObjectName(QStringLiteral("frmTemplateResults"));
    setWindowIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(buildMenu());
    layout->addWidget(buildTextArea());
    layout->addLayout(buildOpenRow());
    layout->addWidget(buildButtonRow());

    cmdSaveOutput->setObjectName(QStringLiteral("cmdSaveOutput"));
    cmdClearResults->setObjectName(QStringLiteral("cmdClearResults"));
    cmdReturn->setObjectName(QStringLiteral("cmdReturn"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdOpenPreviousFile->setObjectName(QStringLiteral("cmdOpenPreviousFile"));

    setTabOrder(memoResults, cmdSaveOutput);
    setTabOrder(cmdSaveOutput, cmdClearResults);
    setTabOrder(cmdClearResults, cmdReturn);
    setTabOrder(cmdReturn, cmdExit);

    connectHandlers();
    addShortcuts();
    pressButtonsOnEnter(*this);
    FormCreate();
}

namespace {

// Alt alone moves the keyboard to the menu bar, whatever the desktop's style
// says.
class AltNavigationStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == QStyle::SH_MenuBar_AltKeyNavigation) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

} // namespace

QMenuBar* TfrmTemplateResults::buildMenu() {
    MainMenu1 = new QMenuBar(this);
    auto* style = new AltNavigationStyle;
    style->setParent(MainMenu1);
    MainMenu1->setStyle(style);
    MainMenu1->setNativeMenuBar(false);
    mnuPrinterOptions = MainMenu1->addMenu(QStringLiteral("Printer options..."));
    mnuPrint = mnuPrinterOptions->addAction(QStringLiteral("Print All"));
    mnuPrint->setObjectName(QStringLiteral("mnuPrint"));
    mnuPrintSelection = mnuPrinterOptions->addAction(QStringLiteral("Print Selection"));
    mnuPrintSelection->setObjectName(QStringLiteral("mnuPrintSelection"));
    mnuPrintPreview = mnuPrinterOptions->addAction(QStringLiteral("Print Preview..."));
    mnuPrintPreview->setObjectName(QStringLiteral("mnuPrintPreview"));
    mnuChoosePrinter = mnuPrinterOptions->addAction(QStringLiteral("Choose Printer..."));
    mnuChoosePrinter->setObjectName(QStringLiteral("mnuChoosePrinter"));
    mnuPrinterOptions->addSeparator();
    mnuSaveAsPdf = mnuPrinterOptions->addAction(QStringLiteral("Save as PDF..."));
    mnuSaveAsPdf->setObjectName(QStringLiteral("mnuSaveAsPdf"));
    mnuProfileChart = MainMenu1->addAction(QStringLiteral("Profile chart..."));
    mnuProfileChart->setObjectName(QStringLiteral("mnuProfileChart"));
    mnuSummaryMenu = MainMenu1->addMenu(QStringLiteral("Summary"));
    mnuCopySummary = mnuSummaryMenu->addAction(QStringLiteral("Copy Summary"));
    mnuCopySummary->setObjectName(QStringLiteral("mnuCopySummary"));
    mnuSaveSummary = mnuSummaryMenu->addAction(QStringLiteral("Save Summary..."));
    mnuSaveSummary->setObjectName(QStringLiteral("mnuSaveSummary"));
    mnuCases = MainMenu1->addAction(QStringLiteral("Cases..."));
    mnuCases->setObjectName(QStringLiteral("mnuCases"));
    mnuHelpMenu = MainMenu1->addMenu(QStringLiteral("Help"));
    mnuAbout = mnuHelpMenu->addAction(QStringLiteral("About KALDEN"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    return MainMenu1;
}

// The standard shortcuts, and the menu bar from the keyboard: F10, or Alt
// pressed and released alone, as on a desktop.
void TfrmTemplateResults::addShortcuts() {
    actSaveOutput = new QAction(QStringLiteral("Save Output"), this);
    actSaveOutput->setObjectName(QStringLiteral("actSaveOutput"));
    actSaveOutput->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    addAction(actSaveOutput);
    connect(actSaveOutput, &QAction::triggered, this, &TfrmTemplateResults::cmdSaveOutputClick);
    mnuPrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuSaveAsPdf->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    mnuCopySummary->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, &TfrmTemplateResults::openMenuFromKeyboard);
}

// F10 does what Alt does: the bar takes the keyboard with its first menu
// highlighted, and gives the focus back when it is left.
void TfrmTemplateResults::openMenuFromKeyboard() {
    // As the platform reports it: an Alt press carries no Alt modifier yet.
    QWidget* target = focusWidget() ? focusWidget() : this;
    QKeyEvent press(QEvent::ShortcutOverride, Qt::Key_Alt, Qt::NoModifier);
    press.ignore();
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

QFrame* TfrmTemplateResults::buildTextArea() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    auto* textLayout = new QVBoxLayout(Panel1);
    memoResults = new QPlainTextEdit(Panel1);
    memoResults->setObjectName(QStringLiteral("memoResults"));
    // The book's text, before the font is set so that the text takes it.
    memoResults->setDocument(book_.document());
    memoResults->setAccessibleName(QStringLiteral("Results"));
    memoResults->setFont(fixedPitchFont());
    memoResults->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memoResults->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab and Shift+Tab move between the report and the buttons, as in every
    // other part of the program; typing in the report still edits it.
    memoResults->setTabChangesFocus(true);
    styleTextArea();
    textLayout->addWidget(memoResults);
    return Panel1;
}

void TfrmTemplateResults::styleTextArea() {
    // Black text on the base colour, and a selection that stays visible
    // when the area loses the focus.
    QPalette p = memoResults->palette();
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    memoResults->setPalette(p);
    // Room for a report line (103 characters) and some thirty lines.
    const QFontMetrics fm(memoResults->font());
    const int chrome = 2 * memoResults->frameWidth() + 2 * static_cast<int>(memoResults->document()->documentMargin());
    memoResults->setMinimumSize(fm.horizontalAdvance(QString(105, u'0')) + chrome +
                                    memoResults->verticalScrollBar()->sizeHint().width(),
                                30 * fm.lineSpacing() + chrome);
}

// "Open Results File" stands above the button row, left, when shown.
QLayout* TfrmTemplateResults::buildOpenRow() {
    cmdOpenPreviousFile = boldButton(QStringLiteral("Open Results File"), this);
    auto* openRow = new QHBoxLayout;
    openRow->addWidget(cmdOpenPreviousFile);
    openRow->addStretch(1);
    return openRow;
}

QFrame* TfrmTemplateResults::buildButtonRow() {
    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // One row as designed; on a window too narrow for it, more lines.
    auto* buttons = new FlowLayout;
    Panel2->setLayout(buttons);
    cmdSaveOutput = boldButton(QStringLiteral("Save Output"), Panel2);
    cmdClearResults = boldButton(QStringLiteral("Clear Results"), Panel2);
    cmdReturn = boldButton(QStringLiteral("Return to Worksheet"), Panel2);
    cmdExit = boldButton(QStringLiteral("Exit"), Panel2);
    const auto stretch = [] { return new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum); };
    buttons->addWidget(cmdSaveOutput);
    buttons->addItem(new QSpacerItem(16, 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
    buttons->addWidget(cmdClearResults);
    buttons->addItem(stretch());
    buttons->addWidget(cmdReturn);
    buttons->addItem(stretch());
    buttons->addWidget(cmdExit);
    return Panel2;
}

void TfrmTemplateResults::connectHandlers() {
    connect(cmdSaveOutput, &QPushButton::clicked, this, &TfrmTemplateResults::cmdSaveOutputClick);
    connect(cmdClearResults, &QPushButton::clicked, this, &TfrmTemplateResults::cmdClearResultsClick);
    connect(cmdReturn, &QPushButton::clicked, this, &TfrmTemplateResults::cmdReturnClick);
    connect(cmdExit, &QPushButton::clicked, this, &TfrmTemplateResults::cmdExitClick);
    connect(cmdOpenPreviousFile, &QPushButton::clicked, this, &TfrmTemplateResults::cmdOpenPreviousFileClick);
    connect(mnuPrint, &QAction::triggered, this, &TfrmTemplateResults::mnuPrintClick);
    connect(mnuPrintSelection, &QAction::triggered, this, &TfrmTemplateResults::mnuPrintSelectionClick);
    connect(mnuSaveAsPdf, &QAction::triggered, this, &TfrmTemplateResults::mnuSaveAsPdfClick);
    connect(mnuProfileChart, &QAction::triggered, this, &TfrmTemplateResults::mnuProfileChartClick);
    connect(mnuPrintPreview, &QAction::triggered, this, &TfrmTemplateResults::mnuPrintPreviewClick);
    connect(mnuChoosePrinter, &QAction::triggered, this, &TfrmTemplateResults::mnuChoosePrinterClick);
    connect(mnuCopySummary, &QAction::triggered, this, &TfrmTemplateResults::mnuCopySummaryClick);
    connect(mnuSaveSummary, &QAction::triggered, this, &TfrmTemplateResults::mnuSaveSummaryClick);
    connect(mnuAbout, &QAction::triggered, this, &TfrmTemplateResults::mnuAboutClick);
    connect(mnuCases, &QAction::triggered, this, &TfrmTemplateResults::casesRequested);
    connect(&book_, &CaseBook::appended, this, &TfrmTemplateResults::showAppended);
    connect(&book_, &CaseBook::casesChanged, this, &TfrmTemplateResults::casesChanged);
    connect(&book_, &CaseBook::peopleErased, this, [this](const ErasedPeople& erased) {
        forgetNameOfErased(erased, saveDialogFileName, QStringLiteral("results.txt"));
        forgetNameOfErased(erased, openDialogFileName, QStringLiteral("results.txt"));
        forgetNameOfErased(erased, pdfDialogFileName, QStringLiteral("results.pdf"));
        forgetNameOfErased(erased, summaryDialogFileName, QStringLiteral("summary.odt"));
        if (profileChart_) forgetNameOfErased(erased, profileChart_->saveChartFileName, QStringLiteral("profile.png"));
    });
}

void TfrmTemplateResults::FormCreate() {
    setWindowTitle(QStringLiteral("Output"));
    cmdOpenPreviousFile->hide();
    cmdReturn->setFocus();
}

// Each time the window becomes visible, bring it to the front.
void TfrmTemplateResults::FormShow() {
    if (!shownBefore_) {
        shownBefore_ = true;
        // The focus when the window first opens, with its focus frame shown as
        // after a Tab, so that Enter's target can be seen.
        setAttribute(Qt::WA_KeyboardFocusChange);
        QScreen* opening = screenToOpenOn(QApplication::activeWindow());
        setScreen(opening);
        cmdReturn->setFocus(Qt::TabFocusReason);
        // Sized for a report line and some thirty lines, the text may
        // shrink to a third of that on a small screen, and grows with the
        // window.
        const QFontMetrics fm(memoResults->font());
        openAtDesignedSize(*this, *memoResults, QSize(fm.horizontalAdvance(QString(40, u'0')), 10 * fm.lineSpacing()));
        placeOnScreen(*this, opening);
    }
    raise();
    activateWindow();
}

void TfrmTemplateResults::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TfrmTemplateResults::closeEvent(QCloseEvent* event) {
    // No close box: the window manager's request is refused.
    if (programEnding_)
        event->accept();
    else
        event->ignore();
}

ReportLines TfrmTemplateResults::reportLines() const { return book_.reportLines(); }

// Save Output. The file is replaced only once the whole text is written, so a
// failure never leaves an emptied or half-written file behind.
void TfrmTemplateResults::cmdSaveOutputClick() {
    const std::optional<QString> name = services_.files.saveFileName(this, saveDialogFileName);
    if (!name) return;
    saveDialogFileName = *name;
    openDialogFileName = *name;
    std::string error;
    // The core takes file names as UTF-8 everywhere (on Windows, too, where
    // the local 8-bit encoding is the ANSI code page).
    const std::string path = corePath(*name);
    if (const QString clash = caseStoreClash(services_.host, *name); !clash.isEmpty()) {
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::SaveResults, path, corePath(clash))));
        return;
    }
    if (!writeFileReplacing(path, joinCrLf(reportLines()), error))
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::SaveResults, path, error)));
}

// Clear Results empties the text and forgets its cases, without asking.
void TfrmTemplateResults::cmdClearResultsClick() { book_.clear(); }

void TfrmTemplateResults::cmdReturnClick() {
    hide();
    if (worksheet_) worksheet_->show();
}

void TfrmTemplateResults::cmdExitClick() {
    if (services_.boxes.confirm(QStringLiteral("Exit from program?"))) services_.host.endProgram();
}

void TfrmTemplateResults::showHorizontalScrollBar() {
    memoResults->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoResults->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

// Open Results File: only reachable when the hidden button is shown.
void TfrmTemplateResults::cmdOpenPreviousFileClick() {
    const std::optional<QString> name = services_.files.openFileName(this, openDialogFileName);
    if (!name) return;
    openDialogFileName = *name;
    saveDialogFileName = *name;
    const std::string path = corePath(*name);
    std::string content;
    std::string error;
    const bool read = readWholeFile(path, content, error);
    ReportLines lines;
    bool longLine = false;
    for (const std::string_view line : splitLines(content)) {
        if (QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())).size() > LongResultsLine)
            longLine = true;
        lines.emplace_back(line);
    }
    book_.replaceText(lines);
    if (longLine) showHorizontalScrollBar();
    if (!read) services_.boxes.error(systemReason(fileErrorMessage(FileAction::ReadResults, path, error)));
}

} // namespace kalden
