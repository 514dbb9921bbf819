#pragma once

// Recording fakes for the platform services and a harness that builds the
// two real windows over them in a fresh folder, as main() does.

#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/book/CaseBook.h"
#include "gui/platform/Services.h"
#include "gui/report/TemplateResults.h"
#include "gui/worksheet/TemplateForm.h"

#ifdef KALDEN_TEST_FONT_DIR
// Wine hands the program no QT_* variable from the environment, so the
// cross-built window tests choose the offscreen platform and its fonts (the
// ones the Linux tests get from fontconfig) before the application starts,
// with the screens and scaling of the run from KALDEN_TEST_SCREENS (a path
// without a drive letter, whose colon would end the platform's name) and
// KALDEN_TEST_SCALE.
inline void useOffscreenPlatformUnderWine() {
    const QByteArray screens = qgetenv("KALDEN_TEST_SCREENS");
    qputenv("QT_QPA_PLATFORM", screens.isEmpty() ? QByteArray("offscreen") : "offscreen:configfile=" + screens);
    if (qEnvironmentVariableIsSet("KALDEN_TEST_SCALE")) qputenv("QT_SCALE_FACTOR", qgetenv("KALDEN_TEST_SCALE"));
    qputenv("QT_QPA_FONTDIR", KALDEN_TEST_FONT_DIR);
}
Q_CONSTRUCTOR_FUNCTION(useOffscreenPlatformUnderWine)
#endif

namespace kalden::testing {

// Records every box and beep in order: "beep", "warning:<text>",
// "confirm:<text>" ("confirm, No by default:<text>" for a deletion),
// "information:<text>", "error:<text>". Confirmations
// are answered from `answers` (then `defaultAnswer`), after `whileAsking`
// has run, as another program might while the question is on screen.
class RecordingBoxes : public MessageBoxes {
public:
    QStringList events;
    std::deque<bool> answers;
    bool defaultAnswer = false;
    std::function<void()> whileAsking;

    void warning(const QString& text) override { events << QStringLiteral("warning:") + text; }
    bool confirm(const QString& text) override { return answer(QStringLiteral("confirm:") + text); }
    bool confirmDeletion(const QString& text) override {
        return answer(QStringLiteral("confirm, No by default:") + text);
    }
    void information(const QString& text) override { events << QStringLiteral("information:") + text; }
    void error(const QString& text) override { events << QStringLiteral("error:") + text; }
    void about(const QString& text) override { events << QStringLiteral("about:") + text; }
    void beep() override { events << QStringLiteral("beep"); }

    QStringList warnings() const { return withPrefix(QStringLiteral("warning:")); }
    QStringList errors() const { return withPrefix(QStringLiteral("error:")); }

private:
    bool answer(const QString& event) {
        events << event;
        if (whileAsking) whileAsking();
        if (answers.empty()) return defaultAnswer;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    QStringList withPrefix(const QString& prefix) const {
        QStringList out;
        for (const QString& e : events)
            if (e.startsWith(prefix)) out << e.mid(prefix.size());
        return out;
    }
};

// Answers the dialogs from queues (nothing queued: the user cancels) and
// records the initial names they were opened with.
class FakeFileDialogs : public FileDialogs {
public:
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<QString>> openAnswers;
    QStringList saveInitialNames;
    QStringList openInitialNames;

    std::optional<QString> saveFileName(QWidget*, const QString& initialName) override {
        saveInitialNames << initialName;
        return take(saveAnswers);
    }
    std::optional<QString> openFileName(QWidget*, const QString& initialName) override {
        openInitialNames << initialName;
        return take(openAnswers);
    }
    std::optional<QString> openFileNameFiltered(QWidget*, const QString& initialName, const QString&) override {
        return openFileName(nullptr, initialName);
    }
    // Answered from saveAnswers too; the filters are recorded.
    QStringList saveFilters;
    std::optional<QString> saveFileNameFiltered(QWidget*, const QString& initialName, const QString& filter) override {
        saveInitialNames << initialName;
        saveFilters << filter;
        return take(saveAnswers);
    }

private:
    static std::optional<QString> take(std::deque<std::optional<QString>>& q) {
        std::optional<QString> answer;
        if (!q.empty()) {
            answer.swap(q.front());
            q.pop_front();
        }
        return answer;
    }
};

// Records the print jobs; fails with `failWith` when it is set.
class RecordingPrinter : public TextPrinter {
public:
    QStringList texts;
    QList<QFont> fonts;
    QString failWith;

    bool print(const QString& text, const QFont& font, QString& error) override {
        if (!failWith.isEmpty()) {
            error = failWith;
            return false;
        }
        texts << text;
        fonts << font;
        return true;
    }
    // Pictures are painted onto an A4 page image at 96 dots per inch.
    QList<QImage> pictures;
    bool printPicture(const PicturePainter& paint, QString& error) override {
        if (!failWith.isEmpty()) {
            error = failWith;
            return false;
        }
        QImage page(794, 1123, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        paint(painter, QRectF(0, 0, page.width(), page.height()));
        pictures << page;
        return true;
    }
    // "choose" and "preview:<text>", in order; the dialog's answer is
    // `chooseAnswer`.
    QStringList dialogs;
    bool chooseAnswer = true;
    bool choosePrinter(QWidget*) override {
        dialogs << QStringLiteral("choose");
        return chooseAnswer;
    }
    void preview(QWidget*, const QString& text, const QFont&) override { dialogs << QStringLiteral("preview:") + text; }
};

class FakeHost : public ProgramHost {
public:
    QString exePath;
    QString dataHomePath;
    int endRequests = 0;
    QString executablePath() const override { return exePath; }
    QString dataHome() const override { return dataHomePath; }
    void endProgram() override { ++endRequests; }
    bool keepRecords = true;
    bool keepCaseRecords() const override { return keepRecords; }
    void setKeepCaseRecords(bool keep) override { keepRecords = keep; }
};

inline std::string readBytes(const QString& path) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return {};
    return in.readAll().toStdString();
}

// How the system words a regular file used as a folder in a path: Windows
// has no "not a directory".
inline QString notAFolderReason() {
#ifdef _WIN32
    return QStringLiteral("No such file or directory");
#else
    return QStringLiteral("Not a directory");
#endif
}

inline void writeBytes(const QString& path, const std::string& content) {
    QFile out(path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(content.data(), static_cast<qint64>(content.size()));
}

// The program's case book and two windows over fakes, with the executable "living" in a
// folder of its own and the user's data folder inside it (so the data file
// is <folder>/share/kalden/kalden.txt, and a restart in the same folder finds
// it again; <folder>/kalden.txt is a file an older version left beside the
// executable).
struct Program {
    RecordingBoxes boxes;
    FakeFileDialogs files;
    RecordingPrinter recordingPrinter;
    FakeHost host;
    TextPrinter* printer = &recordingPrinter;
    std::unique_ptr<CaseBook> book;
    std::unique_ptr<TfrmTemplate> form;
    std::unique_ptr<TfrmTemplateResults> results;

    // `exePath`: the running executable's path; the windows are not shown.
    void start(const QString& exePath, const TemplateConfig& config = TemplateConfig{}) {
        host.exePath = exePath;
        if (host.dataHomePath.isEmpty()) host.dataHomePath = QFileInfo(exePath).path() + QStringLiteral("/share");
        const Services services{boxes, files, *printer, host};
        book = std::make_unique<CaseBook>(boxes, host, config.caseStoreFileName,
                                          DataFileNames{config.dataFileName, config.sessionFileName,
                                                        ChangeSettingsFileName});
        form = std::make_unique<TfrmTemplate>(services, *book, config);
        results = std::make_unique<TfrmTemplateResults>(services, *book);
        form->setResultsWindow(results.get());
        results->setWorksheet(form.get());
    }
    // Ends the program as the event loop's end does: windows destroyed.
    void stop() {
        results.reset();
        form.reset();
        book.reset();
    }

    // Types into a field through the keystroke filter and the length rule.
    void type(int k, const QString& text) {
        QLineEdit* f = form->field(k);
        for (const QChar c : text) QTest::keyClick(f, c.toLatin1());
    }
    void setScores(const QStringList& texts) {
        for (int k = 1; k <= texts.size(); ++k) form->field(k)->setText(texts[k - 1]);
    }
    // The user's data file, and the folder it is kept in.
    QString dataFile(const QTemporaryDir& dir) const { return dir.filePath(QStringLiteral("share/kalden/kalden.txt")); }
    static QString dataFolder(const QTemporaryDir& dir) { return dir.filePath(QStringLiteral("share/kalden")); }
};

// The application's font at `pointSize` (0: left as it is) for as long as
// the object lives; the layout tests run at the default and a large size.
class ApplicationFontSize {
public:
    explicit ApplicationFontSize(int pointSize) : saved_(QApplication::font()) {
        if (pointSize <= 0) return;
        QFont big = saved_;
        big.setPointSize(pointSize);
        QApplication::setFont(big);
    }
    ~ApplicationFontSize() { QApplication::setFont(saved_); }
    ApplicationFontSize(const ApplicationFontSize&) = delete;
    ApplicationFontSize& operator=(const ApplicationFontSize&) = delete;

    static void addRows() {
        QTest::addColumn<int>("pointSize");
        QTest::newRow("default") << 0;
        QTest::newRow("large") << 16;
    }

private:
    QFont saved_;
};

} // namespace kalden::testing
