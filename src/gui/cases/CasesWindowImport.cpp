#include "gui/cases/CasesWindow.h"

#include "files/FileErrors.h"
#include "files/TextFile.h"
#include "format/CountText.h"
#include "format/VisibleText.h"
#include "gui/platform/Services.h"
#include "gui/platform/WindowHelpers.h"
#include "report/CaseFile.h"

namespace kalden {

// The cases of a case file into the records: the whole file checked first
// (a file refused adds nothing and says where), then each person matched as
// a Compute's is, and the cases already recorded left as they are.
void TfrmCases::cmdImportClick() {
    const std::optional<QString> name =
        services_.files.openFileNameFiltered(this, importFileName,
                                             QStringLiteral("KALDEN case file (*.kalden.json *.json)"));
    if (!name) return;
    importFileName = *name;
    std::string text;
    std::string error;
    if (!readWholeFile(corePath(*name), text, error)) {
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::ReadCaseFile, corePath(*name), error)));
        return;
    }
    CaseFileReading reading = readCaseFile(text);
    if (!reading.problem.empty()) {
        services_.boxes.error(QStringLiteral("The case file %1 is refused, and nothing was imported:\r%2")
                                  .arg(QString::fromStdString(visibleText(corePath(*name))),
                                       QString::fromStdString(visibleText(reading.problem))));
        return;
    }
    const std::optional<CaseBook::Imported> imported = book_.importCases(std::move(reading.cases));
    if (!imported) return;
    QString said = QStringLiteral("%1 imported into the records.")
                       .arg(QString::fromStdString(countOf(imported->added, "case", "cases")));
    if (imported->already > 0)
        said += QStringLiteral(" %1 already there.")
                    .arg(QString::fromStdString(countOf(imported->already, "case was", "cases were")));
    services_.boxes.information(said);
    reload();
}

} // namespace kalden
