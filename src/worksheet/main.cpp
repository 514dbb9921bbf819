// KALDEN: the desktop program. Sets the program-wide values, creates the
// worksheet (whose creation step restores the previous inputs) and the
// hidden results window, and runs the event loop until Exit is confirmed in
// either window or the worksheet is closed through its frame.
#include <QApplication>

#include "worksheet/QtServices.h"
#include "report/NumberFormat.h"
#include "report/TemplateResults.h"
#include "worksheet/ProgramConfig.h"
#include "worksheet/TemplateForm.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kalden"));
    // ProgramTitle and DataFileName are fixed in worksheet/ProgramConfig.h.
    kalden::initDecimalSeparatorFromLocale();

    kalden::TfrmTemplateResults* resultsWindow = nullptr;
    kalden::QtMessageBoxes boxes;
    kalden::QtFileDialogs files;
    kalden::QtTextPrinter printer;
    kalden::QtProgramHost host([&resultsWindow] {
        if (resultsWindow) resultsWindow->setProgramEnding(true);
        QCoreApplication::quit();
    });
    const kalden::Services services{boxes, files, printer, host};

    kalden::TfrmTemplate worksheet(services);
    kalden::TfrmTemplateResults results(services);
    resultsWindow = &results;
    worksheet.setResultsWindow(&results);
    results.setWorksheet(&worksheet);

    worksheet.show();
    return app.exec();
}
