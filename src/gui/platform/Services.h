#pragma once

#include <functional>
#include <optional>

#include <QFont>
#include <QString>

class QPainter;
class QRectF;
class QWidget;

namespace kalden {

// The platform services the windows use, each behind a small interface
// so that every rule of the windows can be tested with recording fakes. The
// Qt implementations are in gui/platform/QtServices.h.

// Modal message boxes and the beep. Texts use a carriage return (code 13)
// as line break, as the program writes them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Warning icon, caption "Warning", one "OK" button.
    virtual void warning(const QString& text) = 0;
    // Question icon, caption "Confirm", buttons "Yes" and "No"; true for Yes.
    virtual bool confirm(const QString& text) = 0;
    // The same for what cannot be undone (deleting cases): "No" is the
    // default button, so Enter keeps everything.
    virtual bool confirmDeletion(const QString& text) = 0;
    // Caption "Information", one "OK" button.
    virtual void information(const QString& text) = 0;
    // Error icon, the program's name ("KALDEN") as caption, one "OK" button:
    // failed file and printer operations, with the system's description.
    virtual void error(const QString& text) = 0;
    // The program's About box: caption "About KALDEN", one "OK" button.
    virtual void about(const QString& text) = 0;
    virtual void beep() = 0;
};

// The results window's file dialogs. Each returns the chosen file name, or
// nothing when the user cancels.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Filter "*.txt", asks before replacing an existing file, no default
    // extension: a name typed without ".txt" is used as typed.
    virtual std::optional<QString> saveFileName(QWidget* parent, const QString& initialName) = 0;
    // The same with other name filters, given as QFileDialog takes them
    // ("*.pdf", or "PNG image (*.png);;SVG drawing (*.svg)").
    virtual std::optional<QString> saveFileNameFiltered(QWidget* parent, const QString& initialName,
                                                        const QString& filter) = 0;
    // Filter "*.txt", an existing file.
    virtual std::optional<QString> openFileName(QWidget* parent, const QString& initialName) = 0;
    // The same with other name filters.
    virtual std::optional<QString> openFileNameFiltered(QWidget* parent, const QString& initialName,
                                                        const QString& filter) = 0;
};

// One print job on the current printer, no dialog: the default printer, or
// the one chosen with choosePrinter for the rest of the run. The text in the
// given font, laid out line by line as the results window prints. False with
// the system's description when there is no printer or the job fails.
class TextPrinter {
public:
    virtual ~TextPrinter() = default;
    virtual bool print(const QString& text, const QFont& font, QString& error) = 0;
    // One page with a picture on the same printer, with the same failures;
    // `paint` gets the printable area.
    using PicturePainter = std::function<void(QPainter& painter, const QRectF& page)>;
    virtual bool printPicture(const PicturePainter& paint, QString& error) = 0;
    // The print dialog: the printer chosen there is the current printer
    // from then on. False when the user cancels.
    virtual bool choosePrinter(QWidget* parent) = 0;
    // The pages `print` would print, in a preview window from which they can
    // also be printed.
    virtual void preview(QWidget* parent, const QString& text, const QFont& font) = 0;
};

// What the windows need of the running program.
class ProgramHost {
public:
    virtual ~ProgramHost() = default;
    // Full path of the running executable (an older version kept the data
    // file beside it).
    virtual QString executablePath() const = 0;
    // The user's own data folder ($XDG_DATA_HOME, by default ~/.local/share);
    // the data file is kept in its "kalden" folder.
    virtual QString dataHome() const = 0;
    // Ends the program (the event loop), with no question.
    virtual void endProgram() = 0;
    // The setting "Keep a record of every computed case", on unless the
    // user turned it off; kept in the user's config folder.
    virtual bool keepCaseRecords() const = 0;
    virtual void setKeepCaseRecords(bool keep) = 0;
};

struct Services {
    MessageBoxes& boxes;
    FileDialogs& files;
    TextPrinter& printer;
    ProgramHost& host;
};

// The error box's caption.
inline const QString ProgramName = QStringLiteral("KALDEN");

} // namespace kalden
