#include "gui/worksheet/TemplateProgram.h"

#include <cstdio>
#include <optional>
#include <string>
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

std::string usageText(const std::string& name) {
    return "usage: " + name +
           " [--help | --version]\n\n"
           "Opens the worksheet: seven subtest scaled scores in, the report in the results window,\n"
           "where it is saved, printed and charted. kalden-report gives the same reports on the\n"
           "command line.\n\n"
           "  --help     print this help and exit\n"
           "  --version  print the version and exit\n";
}

// Qt's own options, which QApplication takes (with one dash or two), and
// whether each takes the next argument as its value.
bool isQtOption(std::string_view a, bool& takesValue) {
    static constexpr std::string_view WithValue[] = {"platform",
                                                     "platformpluginpath",
                                                     "platformtheme",
                                                     "plugin",
                                                     "qwindowgeometry",
                                                     "qwindowicon",
                                                     "qwindowtitle",
                                                     "session",
                                                     "style",
                                                     "stylesheet",
                                                     "display",
                                                     "geometry",
                                                     "title",
                                                     "name",
                                                     "visual",
                                                     "ncols",
                                                     "cmap",
                                                     "fn",
                                                     "font",
                                                     "bg",
                                                     "background",
                                                     "fg",
                                                     "foreground",
                                                     "btn",
                                                     "button",
                                                     "im",
                                                     "inputstyle"};
    static constexpr std::string_view Alone[] = {"reverse", "widgetcount",    "nograb",       "dograb",
                                                 "sync",    "nocrashhandler", "qmljsdebugger"};
    if (a.size() < 2 || a[0] != '-') return false;
    a.remove_prefix(a[1] == '-' ? 2 : 1);
    const std::size_t equals = a.find('=');
    const std::string_view name = a.substr(0, equals);
    for (const std::string_view o : WithValue)
        if (name == o) {
            takesValue = equals == std::string_view::npos;
            return true;
        }
    for (const std::string_view o : Alone)
        if (name == o) {
            takesValue = false;
            return true;
        }
    return false;
}

// --version and --help print and end the program before any window opens;
// Qt's own options are left to Qt; anything else is a mistake, which prints
// the usage on standard error and ends with status 64, also before any
// window. Returns the exit status when the program ends here.
std::optional<int> informationOption(int argc, char** argv, const QString& applicationName) {
    const std::string name = applicationName.toStdString();
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        bool takesValue = false;
        if (isQtOption(a, takesValue)) {
            if (takesValue) ++i;
            continue;
        }
        useParentConsole();
        if (a == "--version") {
            std::printf("%s %s\n", name.c_str(), KALDEN_VERSION);
        } else if (a == "--help") {
            std::fputs(usageText(name).c_str(), stdout);
        } else {
            std::fprintf(stderr, "%s: unknown option or argument '%s'\n\n%s", name.c_str(), std::string(a).c_str(),
                         usageText(name).c_str());
            return 64;
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

    CaseBook book(boxes, host, config.caseStoreFileName,
                  DataFileNames{config.dataFileName, config.sessionFileName, ChangeSettingsFileName});
    TfrmTemplate worksheet(services, book, config);
    TfrmTemplateResults results(services, book);
    resultsWindow = &results;
    worksheet.setResultsWindow(&results);
    results.setWorksheet(&worksheet);

    worksheet.show();
    return app.exec();
}

} // namespace kalden
