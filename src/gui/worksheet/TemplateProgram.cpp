#include "gui/worksheet/TemplateProgram.h"

#include <cstdio>
#include <optional>
#include <string_view>

#ifdef _WIN32
#include <windows.h>
#endif

#include <QApplication>
#include <QIcon>

#include "format/NumberFormat.h"
#include "gui/platform/QtServices.h"
#include "gui/report/TemplateResults.h"
#include "gui/worksheet/TemplateForm.h"

namespace kalden {

namespace {

// The program's icon, built into the executable in every size it is drawn in.
QIcon programIcon() {
    QIcon icon;
    for (const int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/" KALDEN_APP_ID "-%1.png").arg(size), QSize(size, size));
    return icon;
}

#ifdef _WIN32
// A GUI program has no console of its own: print to the one it was started
// from, unless its output is already redirected.
void useParentConsole() {
    if (GetStdHandle(STD_OUTPUT_HANDLE) != nullptr && GetStdHandle(STD_OUTPUT_HANDLE) != INVALID_HANDLE_VALUE) return;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) std::freopen("CONOUT$", "w", stdout);
}
#else
void useParentConsole() {}
#endif

// --version and --help print and end the program before any window opens;
// every other argument is left to Qt. Returns the exit status when one of
// them was given.
std::optional<int> informationOption(int argc, char** argv, const QString& applicationName) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a != "--version" && a != "--help") continue;
        useParentConsole();
        const std::string name = applicationName.toStdString();
        if (a == "--version") {
            std::printf("%s %s\n", name.c_str(), KALDEN_VERSION);
        } else {
            std::printf(
                "usage: %s [--help | --version]\n\n"
                "Opens the worksheet: seven subtest scaled scores in, the report in the results window,\n"
                "where it is saved, printed and charted. kalden-report gives the same reports on the\n"
                "command line.\n\n"
                "  --help     print this help and exit\n"
                "  --version  print the version and exit\n",
                name.c_str());
        }
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    return std::nullopt;
}

} // namespace

int runTemplateProgram(int& argc, char** argv, const QString& applicationName, const TemplateConfig& config) {
    if (const std::optional<int> status = informationOption(argc, argv, applicationName)) return *status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationName);
    QApplication::setApplicationVersion(QStringLiteral(KALDEN_VERSION));
    // The desktop entry's name, so that the desktop groups both windows
    // under the menu entry and its icon; the same icon on the windows.
    QGuiApplication::setDesktopFileName(QStringLiteral(KALDEN_APP_ID));
    QApplication::setWindowIcon(programIcon());
    initDecimalSeparatorFromLocale();

    TfrmTemplateResults* resultsWindow = nullptr;
    QtMessageBoxes boxes;
    QtFileDialogs files;
    QtTextPrinter printer;
    QtProgramHost host([&resultsWindow] {
        if (resultsWindow) resultsWindow->setProgramEnding(true);
        QCoreApplication::quit();
    });
    const Services services{boxes, files, printer, host};

    TfrmTemplate worksheet(services, config);
    TfrmTemplateResults results(services);
    resultsWindow = &results;
    worksheet.setResultsWindow(&results);
    results.setWorksheet(&worksheet);

    worksheet.show();
    return app.exec();
}

} // namespace kalden
