// kalden-template-demo: the worksheet template with its switched-off
// features switched on, as a program built from the template would have
// them. The age field is shown and gives the order of the correlation
// matrix that Compute asks for first; the data grid is shown under the
// fields. Everything else is the desktop program's. The inputs, the grid and
// the matrix are kept in a data file of its own beside the executable. The
// configuration is templateDemoConfig() (worksheet/ProgramConfig.h).
#include <QApplication>

#include "worksheet/QtServices.h"
#include "report/NumberFormat.h"
#include "report/TemplateResults.h"
#include "worksheet/ProgramConfig.h"
#include "worksheet/TemplateForm.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kalden-template-demo"));
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

    kalden::TfrmTemplate worksheet(services, kalden::templateDemoConfig());
    kalden::TfrmTemplateResults results(services);
    resultsWindow = &results;
    worksheet.setResultsWindow(&results);
    results.setWorksheet(&worksheet);

    worksheet.show();
    return app.exec();
}
