#include "report/TemplateResults.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "worksheet/QtServices.h"
#include "report/MemoText.h"
#include "report/TextFile.h"
#include "report/Utf8Path.h"

namespace kalden {

namespace {

QPushButton* boldButton(const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    QFont f = b->font();
    f.setBold(true);
    b->setFont(f);
    b->setAccessibleName(caption.trimmed());
    b->setAutoDefault(false);
    return b;
}

// A button's room: at least the design's 161 x 37 pixels, more when the
// caption needs it.
void sizeButton(QPushButton* b) {
    const QSize hint = b->sizeHint();
    b->setMinimumSize(std::max(161, hint.width() + 16), std::max(37, hint.height() + 8));
}

QString systemReason(const std::string& error) { return QString::fromLocal8Bit(error.c_str()); }

} // namespace

TfrmTemplateResults::TfrmTemplateResults(const Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), services_(services) {
    setObjectName(QStringLiteral("frmTemplateResults"));
    setWindowIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize); // fixed border, sized to its contents

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setNativeMenuBar(false);
    mnuPrinterOptions = MainMenu1->addMenu(QStringLiteral("Printer options..."));
    mnuPrint = mnuPrinterOptions->addAction(QStringLiteral("Print All"));
    mnuPrint->setObjectName(QStringLiteral("mnuPrint"));
    mnuPrintSelection = mnuPrinterOptions->addAction(QStringLiteral("Print Selection"));
    mnuPrintSelection->setObjectName(QStringLiteral("mnuPrintSelection"));
    layout->setMenuBar(MainMenu1);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    auto* textLayout = new QVBoxLayout(Panel1);
    memoResults = new QPlainTextEdit(Panel1);
    memoResults->setObjectName(QStringLiteral("memoResults"));
    memoResults->setAccessibleName(QStringLiteral("Results"));
    memoResults->setFont(fixedPitchFont());
    memoResults->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memoResults->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    {
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
    textLayout->addWidget(memoResults);
    layout->addWidget(Panel1);

    // "Open Results File" stands above the button row, left, when shown.
    cmdOpenPreviousFile = boldButton(QStringLiteral("Open Results File"), this);
    sizeButton(cmdOpenPreviousFile);
    auto* openRow = new QHBoxLayout;
    openRow->addWidget(cmdOpenPreviousFile);
    openRow->addStretch(1);
    layout->addLayout(openRow);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* buttons = new QHBoxLayout(Panel2);
    cmdSaveOutput = boldButton(QStringLiteral("Save Output"), Panel2);
    cmdClearResults = boldButton(QStringLiteral("Clear Results"), Panel2);
    cmdReturn = boldButton(QStringLiteral("Return to Worksheet"), Panel2);
    cmdExit = boldButton(QStringLiteral("Exit"), Panel2);
    for (QPushButton* b : {cmdSaveOutput, cmdClearResults, cmdReturn, cmdExit}) sizeButton(b);
    buttons->addWidget(cmdSaveOutput);
    buttons->addSpacing(16);
    buttons->addWidget(cmdClearResults);
    buttons->addStretch(1);
    buttons->addWidget(cmdReturn);
    buttons->addStretch(1);
    buttons->addWidget(cmdExit);
    layout->addWidget(Panel2);

    cmdSaveOutput->setObjectName(QStringLiteral("cmdSaveOutput"));
    cmdClearResults->setObjectName(QStringLiteral("cmdClearResults"));
    cmdReturn->setObjectName(QStringLiteral("cmdReturn"));
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdOpenPreviousFile->setObjectName(QStringLiteral("cmdOpenPreviousFile"));

    setTabOrder(memoResults, cmdSaveOutput);
    setTabOrder(cmdSaveOutput, cmdClearResults);
    setTabOrder(cmdClearResults, cmdReturn);
    setTabOrder(cmdReturn, cmdExit);

    connect(cmdSaveOutput, &QPushButton::clicked, this, &TfrmTemplateResults::cmdSaveOutputClick);
    connect(cmdClearResults, &QPushButton::clicked, this, &TfrmTemplateResults::cmdClearResultsClick);
    connect(cmdReturn, &QPushButton::clicked, this, &TfrmTemplateResults::cmdReturnClick);
    connect(cmdExit, &QPushButton::clicked, this, &TfrmTemplateResults::cmdExitClick);
    connect(cmdOpenPreviousFile, &QPushButton::clicked, this, &TfrmTemplateResults::cmdOpenPreviousFileClick);
    connect(mnuPrint, &QAction::triggered, this, &TfrmTemplateResults::mnuPrintClick);
    connect(mnuPrintSelection, &QAction::triggered, this, &TfrmTemplateResults::mnuPrintSelectionClick);

    FormCreate();
}

void TfrmTemplateResults::FormCreate() {
    setWindowTitle(QStringLiteral("Output"));
    cmdOpenPreviousFile->hide();
    memoResults->clear();
    cmdReturn->setFocus();
}

// Each time the window becomes visible, bring it to the front.
void TfrmTemplateResults::FormShow() {
    if (!shownBefore_) {
        shownBefore_ = true;
        cmdReturn->setFocus(); // the focus when the window first opens
        if (const QScreen* screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
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

ReportLines TfrmTemplateResults::reportLines() const { return linesOfMemoText(memoResults->toPlainText()); }

void TfrmTemplateResults::appendReportLines(const ReportLines& lines) {
    if (lines.empty()) return;
    QString added;
    const QString current = memoResults->toPlainText();
    if (!current.isEmpty() && !current.endsWith(u'\n')) added += u'\n'; // the user's last line ends here
    added += memoTextOfLines(lines);
    QTextCursor cursor(memoResults->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(added);
}

void TfrmTemplateResults::appendReport(const InputRecord& input, const ComputationResults& results,
                                       const ReportContext& context, MessageService& messages) {
    ReportLines lines = reportLines();
    const std::size_t before = lines.size();
    composeReport(lines, input, results, context, messages);
    appendReportLines(ReportLines(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end()));
}

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
    if (!writeFileReplacing(name->toUtf8().toStdString(), joinCrLf(reportLines()), error))
        services_.boxes.error(systemReason(error));
}

// Clear Results empties the text without asking.
void TfrmTemplateResults::cmdClearResultsClick() { memoResults->clear(); }

void TfrmTemplateResults::cmdReturnClick() {
    hide();
    if (worksheet_) worksheet_->show();
}

void TfrmTemplateResults::cmdExitClick() {
    if (services_.boxes.confirm(QStringLiteral("Exit from program?"))) services_.host.endProgram();
}

QString TfrmTemplateResults::printAllText() const {
    return QString::fromStdString(joinCrLf(reportLines())) + QStringLiteral("\r\n");
}

QString TfrmTemplateResults::printSelectionText() const {
    QString selected = memoResults->textCursor().selectedText();
    if (selected.isEmpty()) return selected;
    selected.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    selected.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    return selected + QStringLiteral("\r\n");
}

QFont TfrmTemplateResults::printFont() const {
    QFont font = memoResults->font();
    font.setPointSize(8);
    return font;
}

void TfrmTemplateResults::print(const QString& text) {
    QString error;
    if (!services_.printer.print(text, printFont(), error)) services_.boxes.error(error);
}

void TfrmTemplateResults::mnuPrintClick() { print(printAllText()); }

void TfrmTemplateResults::mnuPrintSelectionClick() {
    const QString text = printSelectionText();
    if (text.isEmpty()) {
        services_.boxes.warning(QStringLiteral("You have not selected any text."));
        return;
    }
    print(text);
}

void TfrmTemplateResults::showHorizontalScrollBar() {
    memoResults->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoResults->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

// Open Results File: only reachable when the hidden button is shown.
void TfrmTemplateResults::cmdOpenPreviousFileClick() {
    const std::optional<QString> name = services_.files.openFileName(this, openDialogFileName);
    if (!name) return;
    memoResults->clear();
    openDialogFileName = *name;
    saveDialogFileName = *name;

    std::FILE* f = openFileUtf8(name->toUtf8().toStdString(), "rb");
    if (!f) {
        services_.boxes.error(systemReason(std::strerror(errno)));
        return;
    }
    ReportLines lines;
    std::string current;
    bool pendingCr = false;
    bool longLine = false;
    auto endLine = [&] {
        if (QString::fromUtf8(current.data(), static_cast<qsizetype>(current.size())).size() > LongResultsLine)
            longLine = true;
        lines.push_back(std::move(current));
        current.clear();
    };
    char buffer[8192];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        for (std::size_t i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (pendingCr) {
                pendingCr = false;
                if (c == '\n') continue; // CR LF is one line end
            }
            if (c == '\r') {
                endLine();
                pendingCr = true;
            } else if (c == '\n') {
                endLine();
            } else {
                current.push_back(c);
            }
        }
    }
    const bool failed = std::ferror(f) != 0;
    const int code = errno;
    std::fclose(f);
    if (!current.empty()) endLine();
    appendReportLines(lines);
    if (longLine) showHorizontalScrollBar();
    if (failed) services_.boxes.error(systemReason(std::strerror(code)));
}

} // namespace kalden
