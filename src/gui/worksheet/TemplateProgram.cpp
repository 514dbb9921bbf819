#include "gui/worksheet/TemplateProgram.h"

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

} // namespace

int runTemplateProgram(int& argc, char** argv, const QString& applicationName, const TemplateConfig& config) {
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
