#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <QGroupBox>
#include <QStringList>
#include <QWidget>

#include "platform/Services.h"
#include "report/ReportComposer.h"
#include "worksheet/InputValidation.h"
#include "worksheet/ProgramConfig.h"

class QButtonGroup;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace kalden {

class TfrmTemplateResults;

// A captioned group of radio buttons with an item index, as the worksheet's
// option groups are: exactly one item is selected.
class RadioGroupBox : public QGroupBox {
public:
    RadioGroupBox(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
    int itemIndex() const;
    void setItemIndex(int index);
    QRadioButton* item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    int count() const { return static_cast<int>(items_.size()); }

private:
    std::vector<QRadioButton*> items_;
    QButtonGroup* group_;
};

// The worksheet, the program's main window. The user types the
// seven scaled scores, chooses the options and presses Compute; the window
// validates, saves the inputs, computes and hands the
// report over to the results window.
class TfrmTemplate : public QWidget {
    Q_OBJECT

public:
    // The creation step (FormCreate) runs here, the loading of the previous
    // data included. `config` is the template configuration; this program
    // uses the defaults.
    TfrmTemplate(const Services& services, const TemplateConfig& config = TemplateConfig{}, QWidget* parent = nullptr);

    void setResultsWindow(TfrmTemplateResults* results) { results_ = results; }

    // Field k (1 to 8) and its label.
    QLineEdit* field(int k) const { return inputs_.at(static_cast<std::size_t>(k - 1)); }
    QLabel* label(int k) const { return labels_.at(static_cast<std::size_t>(k - 1)); }

    // The data file's path: the running executable's folder and "kalden.txt".
    std::string dataFilePath() const;

    // The notes field's heights: collapsed (one line) and expanded. At the
    // design's font they are the specified 25 and 70 pixels; a larger font
    // makes them larger so that no line is clipped.
    int notesCollapsedHeight() const;
    int notesExpandedHeight() const;

    // The matrix entry step of Compute, run only with
    // UseCorrelationMatrix after the fields are accepted; it returns false
    // when the user left the matrix window with "Return to Worksheet". Without
    // a step installed Compute goes on.
    std::function<bool()> matrixEntryStep;

    // The texts of the worksheet's description and help panel.
    static QString descriptionText();
    static const QStringList& matrixGuidanceLines();
    static const QStringList& matrixExampleLines();

    // Template configuration and the worksheet's state (Parts 1.1, 1.3, 5.1).
    TemplateConfig config;
    StoredMatrixValues StoredMatrix{};
    int MatrixSize = 0;
    bool PreviousDataLoaded = false;

    // Controls, named as the design names them.
    QPlainTextEdit* DescripFld = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* lblComments = nullptr;
    QPlainTextEdit* memoComments = nullptr;
    QFrame* Panel1 = nullptr;
    RadioGroupBox* RadioGroup2 = nullptr;
    RadioGroupBox* RadioGroup3 = nullptr;
    RadioGroupBox* RadioGroup1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QTableWidget* grdData = nullptr;
    QLabel* lblGridColumnsTitle = nullptr;
    QLabel* lblItems = nullptr;
    std::array<QLabel*, 6> lblCol{};
    QLabel* Label_N = nullptr;
    QLabel* lbl_r = nullptr;
    QPushButton* cmdHelp = nullptr;
    QFrame* pan1 = nullptr;
    QPushButton* cmdReturn = nullptr; // "Close Help"
    QPushButton* cmdCompute = nullptr;
    QPushButton* btnclearData = nullptr;
    QPushButton* ExitBtn = nullptr;
    QGroupBox* pnlHelp = nullptr;

public slots:
    void cmdComputeClick();
    void btnclearDataClick();
    void ExitBtnClick();
    void cmdHelpClick();
    void cmdReturnClick();

public:
    // The previous-data file.
    void LoadPreviousData();
    bool SaveCurrentData();
    void SizeGrid();

    // The options as the radio controls give them.
    Options chosenOptions() const;
    // What the report echoes besides the scores: notes, grid, matrix.
    ReportContext reportContext() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildWindow();
    void FormCreate();
    void FormShow();
    void DescripFldChange();
    void memoCommentsEnter();
    void memoCommentsKeyUp(int key);
    void memoCommentsExit();
    void txtInput1Exit();
    void grdDataExit();
    // The key handlers, shared by the eight fields.
    bool txtInputKeyPress(QLineEdit* field, const QString& text, int key);
    void txtInputKeyUp(QLineEdit* field);
    void limitNotesLength();
    void setNotesHeight(int height);
    void placeNotes();
    int notesLineCount() const;
    void emptyGridCells();

    Services services_;
    WindowMessages messages_;
    TfrmTemplateResults* results_ = nullptr;
    std::array<QLineEdit*, 8> inputs_{};
    std::array<QLabel*, 8> labels_{};
    QWidget* notesSlot_ = nullptr; // the notes field's place in the layout
    int notesHeight_ = 0;
    bool centred_ = false;
};

// The worksheet's fields for the validation pass.
class WorksheetInputFields : public InputFields {
public:
    explicit WorksheetInputFields(TfrmTemplate& form) : form_(form) {}
    std::string fieldText(int k) const override;
    std::string fieldCaption(int k) const override;
    void focusField(int k) override;
    Options options() const override;

private:
    TfrmTemplate& form_;
};

inline constexpr int NotesMaxLength = 250;
inline constexpr int DescriptionScrollBarLength = 550;

} // namespace kalden
