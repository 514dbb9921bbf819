#include "worksheet/TemplateProgram.h"

#include <QApplication>

#include "report/NumberFormat.h"
#include "report/TemplateResults.h"
#include "worksheet/QtServices.h"
#include "worksheet/TemplateForm.h"

namespace kalden {

int runTemplateProgram(int& argc, char** argv, const QString& applicationName, const TemplateConfig& config) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationName);
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
