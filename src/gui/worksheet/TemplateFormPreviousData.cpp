#include "gui/worksheet/TemplateForm.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include "files/FileErrors.h"
#include "files/PreviousDataFile.h"
#include "gui/platform/QtServices.h"
#include "gui/platform/WindowHelpers.h"

// The worksheet's side of the previous-data file: where it is kept, restoring
// the fields at start, saving them at Compute and deleting them at Clear Data.

namespace kalden {

// ---- The previous-data file -----------------------------------------------------

PreviousDataLocation TfrmTemplate::dataLocation() const {
    return previousDataLocation(corePath(services_.host.dataHome()), corePath(services_.host.executablePath()),
                                config.dataFileName);
}

std::string TfrmTemplate::dataFilePath() const { return dataLocation().userFile; }

void TfrmTemplate::LoadPreviousData() {
    const PreviousDataLocation where = dataLocation();
    const std::string path = where.startFile();
    const PreviousDataFileResult file = loadPreviousData(where, config);
    if (!file.found) {
        PreviousDataLoaded = false;
        if (config.UseDataGrid) {
            SizeGrid();
            emptyGridCells();
        }
        return;
    }
    const PreviousDataReading& r = file.reading;
    for (int k = 1; k <= r.fieldsRead && k <= 8; ++k)
        field(k)->setText(QString::fromStdString(r.fieldTexts[static_cast<std::size_t>(k - 1)]));
    update();
    if (config.UseDataGrid) {
        // Sized by fields 1 and 2 once they were read; the cells read before
        // any failure are shown.
        if (!r.gridCells.empty() || r.gridRestored) {
            config.GridColumns = r.gridColumns;
            config.GridRows = r.gridRows;
        }
        SizeGrid();
        emptyGridCells();
        for (std::size_t row = 0; row < r.gridCells.size(); ++row)
            for (std::size_t column = 0; column < r.gridCells[row].size(); ++column)
                if (QTableWidgetItem* item = grdData->item(static_cast<int>(row), static_cast<int>(column) + 1))
                    item->setText(QString::fromStdString(r.gridCells[row][column]));
    }
    if (config.UseCorrelationMatrix) {
        StoredMatrix = r.storedMatrix;
        if (r.matrixRestored) cmdCompute->setText(QStringLiteral("Continue"));
    }
    if (!r.ok()) {
        PreviousDataLoaded = false;
        // A fault in the content ("Invalid numeric input") is reported as it stands.
        services_.boxes.error(
            systemReason(file.unreadable ? fileErrorMessage(FileAction::ReadLastCase, path, r.error) : r.error));
        return;
    }
    PreviousDataLoaded = true;
}

bool TfrmTemplate::SaveCurrentData() {
    PreviousData data;
    for (int k = 1; k <= 8; ++k) data.fieldTexts[static_cast<std::size_t>(k - 1)] = field(k)->text().toStdString();
    if (config.UseDataGrid) data.gridCells = reportContext().gridCells;
    data.matrixSize = MatrixSize;
    data.storedMatrix = StoredMatrix;
    std::string error;
    const std::string path = dataFilePath();
    if (!savePreviousDataFile(path, composePreviousDataContent(data, config), error)) {
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::SaveLastCase, path, error)));
        return false;
    }
    return true;
}

void TfrmTemplate::btnclearDataClick() {
    for (QLineEdit* f : inputs_) f->clear();
    memoComments->clear();
    std::string error;
    const std::string path = dataFilePath();
    if (!deletePreviousDataFile(path, error))
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::DeleteLastCase, path, error)));
    StoredMatrix.fill(0.0);
    emptyGridCells();
    clearSession();
    field(1)->setFocus(Qt::OtherFocusReason);
}

} // namespace kalden
