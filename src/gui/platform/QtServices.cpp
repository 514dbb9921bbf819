#include "gui/platform/QtServices.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSettings>

#include "files/DataHome.h"
#include "gui/platform/PrintLayout.h"
#include "gui/platform/WindowHelpers.h"

namespace kalden {

QFont fixedPitchFont(qreal pointSize) {
    // "Courier New" itself, or the font the system gives in its place when
    // that is fixed-pitch too (fontconfig maps it to Liberation Mono, which
    // has the same metrics); otherwise the system's fixed-pitch font.
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontDatabase::hasFamily(QStringLiteral("Courier New")) && !QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (pointSize > 0)
        font.setPointSizeF(pointSize);
    else
        font.setPointSizeF(QApplication::font().pointSizeF() > 0 ? QApplication::font().pointSizeF() : 10);
    return font;
}

namespace {

QString shown(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

int run(QMessageBox::Icon icon, const QString& caption, const QString& text, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, caption, shown(text), buttons);
    // Texts hold what users typed (names, notes, file names): never markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

void QtMessageBoxes::warning(const QString& text) {
    run(QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtMessageBoxes::confirm(const QString& text) {
    return run(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtMessageBoxes::confirmDeletion(const QString& text) {
    return run(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::No) == QMessageBox::Yes;
}

void QtMessageBoxes::information(const QString& text) {
    run(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtMessageBoxes::error(const QString& text) {
    run(QMessageBox::Critical, ProgramName, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtMessageBoxes::about(const QString& text) {
    run(QMessageBox::Information, QStringLiteral("About ") + ProgramName, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtMessageBoxes::beep() { QApplication::beep(); }

std::optional<QString> QtFileDialogs::saveFileName(QWidget* parent, const QString& initialName) {
    return saveFileNameFiltered(parent, initialName, QStringLiteral("*.txt"));
}

std::optional<QString> QtFileDialogs::saveFileNameFiltered(QWidget* parent, const QString& initialName,
                                                           const QString& filter) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtFileDialogs::openFileName(QWidget* parent, const QString& initialName) {
    return openFileNameFiltered(parent, initialName, QStringLiteral("*.txt"));
}

std::optional<QString> QtFileDialogs::openFileNameFiltered(QWidget* parent, const QString& initialName,
                                                           const QString& filter) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

QtTextPrinter::QtTextPrinter() : factory_([this](QString& error) { return openChosenPrinter(error); }) {}

QtTextPrinter::QtTextPrinter(DeviceFactory factory) : factory_(std::move(factory)) {}

std::unique_ptr<QPagedPaintDevice> QtTextPrinter::openDefaultPrinter(QString& error) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        error = NoDefaultPrinter;
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid()) {
        error = QStringLiteral("The printer %1 is not available").arg(info.printerName());
        return nullptr;
    }
    printer->setDocName(ProgramName);
    printer->setFullPage(false);
    // Start at the top-left corner of the printable area: no margins beyond
    // what the printer itself cannot print on.
    printer->setPageMargins(printer->pageLayout().minimumMargins(), printer->pageLayout().units());
    return printer;
}

// A fresh device for each job, set up as the print dialog left the chosen one.
std::unique_ptr<QPagedPaintDevice> QtTextPrinter::openChosenPrinter(QString& error) const {
    if (!chosen_) return openDefaultPrinter(error);
    return printerLike(*chosen_, error);
}

// "Print to File (PDF)" in the dialog chooses no printer at all but an output
// format and a file, which the copy must keep.
std::unique_ptr<QPrinter> QtTextPrinter::printerLike(const QPrinter& chosen, QString& error) {
    std::unique_ptr<QPrinter> printer;
    if (chosen.outputFormat() == QPrinter::PdfFormat) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(chosen.outputFileName());
    } else {
        printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(chosen.printerName()), QPrinter::HighResolution);
        if (!printer->isValid()) {
            error = QStringLiteral("The printer %1 is not available").arg(chosen.printerName());
            return nullptr;
        }
    }
    printer->setDocName(ProgramName);
    printer->setPageLayout(chosen.pageLayout());
    printer->setCopyCount(chosen.copyCount());
    printer->setDuplex(chosen.duplex());
    printer->setColorMode(chosen.colorMode());
    return printer;
}

bool QtTextPrinter::choosePrinter(QWidget* parent) {
    auto printer = chosen_ ? chosen_ : std::make_shared<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), parent);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setWindowTitle(QStringLiteral("Choose Printer"));
    // Choosing prints nothing: the button says what it does (where the
    // dialog is Qt's own; the system's dialog words its buttons itself).
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("&Use This Printer"));
    if (dialog.exec() != QDialog::Accepted) return false;
    chosen_ = printer;
    return true;
}

void QtTextPrinter::preview(QWidget* parent, const QString& text, const QFont& font) {
    QString error;
    std::unique_ptr<QPagedPaintDevice> device = factory_(error);
    auto* printer = dynamic_cast<QPrinter*>(device.get());
    // With no printer at all the pages are still shown, on the platform's
    // default page.
    QPrinter fallback(QPrinter::HighResolution);
    if (!printer) printer = &fallback;
    QPrintPreviewDialog dialog(printer, parent);
    dialog.setWindowTitle(QStringLiteral("Print Preview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        QString ignored;
        printTextOnDevice(*target, text, font, ignored);
    });
    dialog.exec();
}

bool QtTextPrinter::print(const QString& text, const QFont& font, QString& error) {
    std::unique_ptr<QPagedPaintDevice> device = factory_(error);
    if (!device) return false;
    return printTextOnDevice(*device, text, font, error);
}

bool QtTextPrinter::printPicture(const PicturePainter& paint, QString& error) {
    std::unique_ptr<QPagedPaintDevice> device = factory_(error);
    if (!device) return false;
    return printPictureOnDevice(*device, paint, error);
}

QString QtProgramHost::executablePath() const { return QCoreApplication::applicationFilePath(); }

// Where every KALDEN program finds it (files/DataHome): both programs keep
// their files in the one "kalden" folder whatever their names, and
// kalden-report reads the same store.
QString QtProgramHost::dataHome() const { return qtPath(userDataHome()); }

namespace {

// kalden.ini in the user's config folder (~/.config/kalden, %APPDATA%\kalden).
QSettings programSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("kalden"), QStringLiteral("kalden"));
}

const QString KeepCaseRecordsKey = QStringLiteral("cases/keepRecords");

} // namespace

bool QtProgramHost::keepCaseRecords() const { return programSettings().value(KeepCaseRecordsKey, true).toBool(); }

void QtProgramHost::setKeepCaseRecords(bool keep) {
    QSettings settings = programSettings();
    settings.setValue(KeepCaseRecordsKey, keep);
}

void QtProgramHost::endProgram() {
    if (end_) end_();
}

} // namespace kalden
