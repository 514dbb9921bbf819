#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <QGroupBox>
#include <QStringList>
#include <QWidget>

#include "files/PersonTraces.h"
#include "files/PreviousDataFile.h"
#include "gui/platform/MatrixServices.h"
#include "gui/platform/Services.h"
#include "gui/worksheet/RadioGroupBox.h"
#include "report/ReportComposer.h"
#include "report/Session.h"
#include "worksheet/InputValidation.h"
#include "worksheet/ProgramConfig.h"

class QFrame;
class QLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTableWidget;

namespace kalden {

class TfrmTemplateResults;
class TfrmCases;
class CaseBook;
struct StoredCase;

// The worksheet, the program's main window. The user types the
// seven scaled scores, chooses the options and presses Compute; the window
// validates, saves the inputs, computes, adds the case to the case book and
// shows the results window.
class TfrmTemplate : public QWidget {
    Q_OBJECT

public:
    // The creation step (FormCreate) runs here, the loading of the previous
    // data included. `configuration` is the template configuration that the
    // creation step puts in force; this program uses the defaults, a program
    // built from the template hands over its own. `book` takes the computed
    // cases and gives the Cases window its records.
    TfrmTemplate(const Services& services, CaseBook& book, const TemplateConfig& configuration = TemplateConfig{},
                 QWidget* parent = nullptr);
    ~TfrmTemplate() override;

    // The open-file dialog of the matrix window's "Open Matrix File...";
    // the platform's dialog unless another is set. Not owned.
    void setMatrixFileDialog(MatrixFileDialog* dialog);

    void setResultsWindow(TfrmTemplateResults* results);

    // Field k (1 to 8) and its label.
    QLineEdit* field(int k) const { return inputs_.at(static_cast<std::size_t>(k - 1)); }
    QLabel* label(int k) const { return labels_.at(static_cast<std::size_t>(k - 1)); }

    // Where the data file is kept (the user's data folder, and beside the
    // executable for the one-time carry-over); dataFilePath() is the user's file.
    PreviousDataLocation dataLocation() const;
    std::string dataFilePath() const;

    // The notes field's heights: collapsed (one line) and expanded. At least
    // 25 and 70 pixels; a font whose lines need more room makes them larger
    // so that no line is clipped.
    int notesCollapsedHeight() const;
    int notesExpandedHeight() const;

    // The matrix entry step of Compute, run only with UseCorrelationMatrix
    // after the fields are accepted. The order n is the whole number in field
    // 8; an order outside 1 to 20 is refused with matrixOrderMessage and the
    // focus in field 8. Otherwise the worksheet hides while the matrix window
    // is open. False when Compute ends here (a refused order, or "Return to
    // Worksheet", after which the worksheet shows again and StoredMatrix is
    // unchanged); true once the accepted matrix is in StoredMatrix.
    bool matrixEntryStep();

    // The data grid's cells: 53 pixels wide and at least 20 high (higher when
    // a larger font needs it).
    static constexpr int GridCellWidth = 53;
    int gridCellHeight() const;

    // The texts of the worksheet's description and help panel.
    static QString descriptionText();
    static const QStringList& matrixGuidanceLines();
    static const QStringList& matrixExampleLines();

    // The template configuration in force, and the worksheet's state: the
    // matrix store that the previous-data file and the matrix window fill.
    TemplateConfig config;
    StoredMatrixValues StoredMatrix{};
    int MatrixSize = 0;
    bool PreviousDataLoaded = false;

    // Controls. Each one's object name is its member's name (lblCol[k - 1]
    // is "lblColk"), so that it can also be found with findChild.
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
    QWidget* gridPane = nullptr; // the strip of the input panel that holds the grid and its headings
    QTableWidget* grdData = nullptr;
    QLabel* lblGridColumnsTitle = nullptr;
    QLabel* lblItems = nullptr;
    std::array<QLabel*, 6> lblCol{};
    QLabel* Label_N = nullptr;
    QLabel* lbl_r = nullptr;
    QPushButton* cmdHelp = nullptr;
    QPushButton* cmdCases = nullptr; // under the score fields
    QPushButton* cmdAbout = nullptr;
    QLabel* lblSession = nullptr; // the person and session, under them
    QPushButton* cmdSession = nullptr;
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
    void cmdAboutClick();
    // "Person and Session...": the dialog, then the panel and the file.
    void cmdSessionClick();
    // "Cases...", here and in the results window's menu.
    void cmdCasesClick();
    // "Open in Worksheet" of the Cases window: the case's fields, options
    // and notes (and grid and matrix) come back, ready to compute again.
    void openStoredCase(const kalden::StoredCase& c);
    void cmdReturnClick();
    void FormActivate();
    void txtInput1Exit();
    void grdDataExit();

public:
    // The person and session kept with the next case computed.
    const Session& session() const { return session_; }
    void setSession(const Session& session);

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
    // buildWindow hands off to one builder a part of the window; each makes
    // its controls (children of the part's container) and returns the part.
    void buildWindow();
    QPlainTextEdit* buildDescription();
    QFrame* buildNotesRow();
    void buildNotesField(); // floats over the notes row's slot
    QFrame* buildInputPanel();
    QLayout* buildOptionGroups();
    QLayout* buildFields();
    QWidget* buildGridPane();
    QGroupBox* buildCriterionBox();
    QGroupBox* buildHelpPanel();
    QLayout* buildHelpButtonRow();
    QFrame* buildButtonRow();
    void buildTabChain();
    void connectHandlers();
    void FormCreate();
    void FormShow();
    void DescripFldChange();
    void memoCommentsEnter();
    void memoCommentsKeyUp(int key);
    void memoCommentsExit();
    QMetaObject::Connection focusChangedConnection_;
    void focusChanged(QWidget* old, QWidget* now);
    void setGridCurrentCell(int column, int row);
    void placeGrid();
    void fitSheet();
    // The key handlers, shared by the eight fields.
    bool txtInputKeyPress(QLineEdit* field, const QString& text, int key);
    void txtInputKeyUp(QLineEdit* field);
    void setNotesHeight(int height);
    void placeNotes();
    int notesLineCount() const;
    void emptyGridCells();
    std::string sessionFilePath() const;
    // Whether the person, the scores or the notes typed are of `erased`.
    bool holdsPerson(const ErasedPeople& erased) const;
    void loadSession();
    void showSession();
    void clearSession();
    // The warning box, after the beep when the rule asks for it.
    void warn(const std::string& text, bool beepFirst = false);
    // Compute's view of the fields: their texts and their labels' captions.
    FieldTexts fieldTexts() const;
    FieldCaptionTexts fieldCaptions() const;
    // The focus in field k, its whole text selected.
    void focusField(int k);

    TemplateConfig configuration_; // put in force by FormCreate
    std::unique_ptr<MatrixFileDialog> platformMatrixFiles_;
    MatrixFileDialog* matrixFiles_ = nullptr;
    QSize gridSize_;
    Services services_;
    CaseBook& book_;
    TfrmTemplateResults* results_ = nullptr;
    TfrmCases* cases_ = nullptr; // made by the first "Cases..."
    std::array<QLineEdit*, 8> inputs_{};
    std::array<QLabel*, 8> labels_{};
    QWidget* sheet_ = nullptr; // every control, on one page that scrolls where the screen is small
    QScrollArea* scroller_ = nullptr;
    QWidget* footer_ = nullptr;    // the row of Compute and Exit, under the sheet
    QWidget* notesSlot_ = nullptr; // the notes field's place in the layout
    int notesHeight_ = 0;
    Session session_;
    QString sessionNote_; // what was dropped from the remembered session, until it changes
    bool centred_ = false;
};

// The warning for a matrix order (field 8) that is not a whole number from
// 1 to 20: the field's caption and text, as the input messages quote them.
QString matrixOrderMessage(const QString& caption, const QString& text);

inline constexpr int NotesMaxLength = 250;
inline constexpr int DescriptionScrollBarLength = 550;

} // namespace kalden
