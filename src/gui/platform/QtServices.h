#pragma once

#include <functional>
#include <memory>

#include <QFont>

#include "gui/platform/Services.h"

class QPagedPaintDevice;
class QPrinter;

namespace kalden {

// "Courier New" where it is installed (or stands in for it with a
// fixed-pitch font), otherwise the system's fixed-pitch font, so that the report's and the notes' columns line up. A positive
// `pointSize` sets the size; otherwise the application font's size is kept.
QFont fixedPitchFont(qreal pointSize = 0);

// Message boxes and the beep through QMessageBox and QApplication::beep.
// The boxes have no parent, so they are centred on the screen; a carriage
// return in a text becomes a line break.
class QtMessageBoxes : public MessageBoxes {
public:
    void warning(const QString& text) override;
    bool confirm(const QString& text) override;
    bool confirmDeletion(const QString& text) override;
    void information(const QString& text) override;
    void error(const QString& text) override;
    void about(const QString& text) override;
    void beep() override;
};

// QFileDialog: filter "*.txt" unless another is given; the save dialog
// confirms replacing a file and adds no extension.
class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> saveFileName(QWidget* parent, const QString& initialName) override;
    std::optional<QString> openFileName(QWidget* parent, const QString& initialName) override;
    std::optional<QString> openFileNameFiltered(QWidget* parent, const QString& initialName,
                                                const QString& filter) override;
    std::optional<QString> saveFileNameFiltered(QWidget* parent, const QString& initialName,
                                                const QString& filter) override;
};

// Prints through Qt Print Support on the current printer, no dialog. The
// device comes from a factory so that tests can print into a PDF writer;
// the default factory opens the printer chosen in the print dialog, else
// the default printer (QPrinterInfo::defaultPrinter()), and reports "There
// is no default printer currently selected" when there is neither.
class QtTextPrinter : public TextPrinter {
public:
    using DeviceFactory = std::function<std::unique_ptr<QPagedPaintDevice>(QString& error)>;
    QtTextPrinter();
    explicit QtTextPrinter(DeviceFactory factory);
    bool print(const QString& text, const QFont& font, QString& error) override;
    bool printPicture(const PicturePainter& paint, QString& error) override;
    bool choosePrinter(QWidget* parent) override;
    void preview(QWidget* parent, const QString& text, const QFont& font) override;

    static std::unique_ptr<QPagedPaintDevice> openDefaultPrinter(QString& error);
    // A new device for one job with the settings of `chosen` as the print
    // dialog left them: its printer, or its PDF file for "Print to File".
    static std::unique_ptr<QPrinter> printerLike(const QPrinter& chosen, QString& error);

private:
    std::unique_ptr<QPagedPaintDevice> openChosenPrinter(QString& error) const;

    DeviceFactory factory_;
    std::shared_ptr<QPrinter> chosen_; // set by choosePrinter
};

// The running program: QCoreApplication's executable path; ending calls the
// given function (main quits the event loop).
class QtProgramHost : public ProgramHost {
public:
    explicit QtProgramHost(std::function<void()> end) : end_(std::move(end)) {}
    QString executablePath() const override;
    QString dataHome() const override;
    void endProgram() override;
    bool keepCaseRecords() const override;
    void setKeepCaseRecords(bool keep) override;

private:
    std::function<void()> end_;
};

inline const QString NoDefaultPrinter = QStringLiteral("There is no default printer currently selected");

} // namespace kalden
