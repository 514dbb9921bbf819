// The worksheet window driven as a person would (start-up, the input fields
// and their checks, the previous-data file), with recording fakes for every
// platform service.

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <csignal>

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

#include "GuiHarness.h"
#include "files/CaseStore.h"
#include "files/PreviousDataFile.h"
#include "files/TextFile.h"
#include "gui/cases/CasesWindow.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/session/SessionDialog.h"
#include "report/ScoreCase.h"

using namespace kalden;
using kalden::testing::ApplicationFontSize;
using kalden::testing::Program;
using kalden::testing::readBytes;
using kalden::testing::writeBytes;

namespace {

const QString NumericOnly = QStringLiteral("INPUT ERROR\r\rEnter numeric data only.");
const QString MaxLength = QStringLiteral("Maximum length of input is 6 characters.");
const QStringList Mixed = {"12", "7", "11", "9", "8", "10", "13"};

QString exeIn(const QTemporaryDir& dir) { return dir.filePath(QStringLiteral("kalden")); }

} // namespace

class WorksheetWindowTest : public QObject {
    Q_OBJECT

private slots:
    // ---- The person and session -------------------------------------------
    // A birth after the testing is refused naming both dates; a child's age
    // and a date of testing still to come are asked about, and No goes back.
    void datesThatMayBeASlipAreAskedAbout() {
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        const QString tomorrow = QDate::currentDate().addDays(1).toString(Qt::ISODate);
        struct Row {
            QString birth, testing;
            std::deque<bool> answers;
            QStringList events;
            bool accepted;
        };
        const QString child = QStringLiteral(
            "The age at testing, 11 years 1 month, is outside the adult range of this test's norms (16 to 89 years).\r");
        const Row rows[] = {
            {"2027-01-01",
             "2026-03-01",
             {},
             {"warning:The date of birth (2027-01-01) comes after the date of testing (2026-03-01)."},
             false},
            {"2015-01-01", "2026-02-01", {false}, {"confirm:" + child + "\rKeep these dates?"}, false},
            {"2015-01-01", "2026-02-01", {true}, {"confirm:" + child + "\rKeep these dates?"}, true},
            {"",
             tomorrow,
             {true},
             {"confirm:The date of testing (" + tomorrow + ") is later than today (" + today +
              ").\r\rKeep these dates?"},
             true},
            {"1961-04-12", today, {}, {}, true},
        };
        for (const Row& r : rows) {
            kalden::testing::RecordingBoxes boxes;
            boxes.answers = r.answers;
            TfrmSession dialog(Session{"Ann B.", {}, {}, {}, {}}, boxes);
            dialog.txtBirthDate->setText(r.birth);
            dialog.txtTestingDate->setText(r.testing);
            dialog.accept();
            QCOMPARE(boxes.events, r.events);
            QCOMPARE(dialog.result() == QDialog::Accepted, r.accepted);
        }
    }

    // A date of birth remembered wrongly (by hand, or by an older version)
    // is dropped with a line under the session; the rest comes back.
    void aRememberedDateOfBirthIsCheckedAsTyped() {
        const QString today = QDate::currentDate().toString(Qt::ISODate);
        const std::pair<const char*, QString> rows[] = {
            {"2026-02-30",
             "The date of birth remembered from the last start (2026-02-30) is not a day of the calendar "
             "and was left out."},
            {"2999-01-01",
             "The date of birth remembered from the last start (2999-01-01) comes after the date of "
             "testing and was left out."}};
        for (const auto& [birth, note] : rows) {
            QTemporaryDir dir;
            QVERIFY(QDir().mkpath(dir.filePath("share/kalden")));
            QFile::setPermissions(dir.filePath("share/kalden"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QFile file(dir.filePath("share/kalden/session.txt"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("person=Ann B.\nbirth_date=") + birth + "\nexaminer=Dr C. Diaz\n");
            file.close();
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
            Program p;
            p.start(exeIn(dir));
            QCOMPARE(p.form->session(), (Session{"Ann B.", "", today.toStdString(), "Dr C. Diaz", ""}));
            QCOMPARE(p.form->lblSession->text(), "Ann B., tested " + today + " by Dr C. Diaz\n" + note);
            p.form->setSession(Session{"", "", "", "Dr C. Diaz", ""});
            QCOMPARE(p.form->lblSession->text(), "No person entered; Tested " + today + " by Dr C. Diaz");
        }
    }

    // ---- Creation and the configuration -----------------------------------
    void creationSetsCaptionLabelsAndHiddenControls() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        TfrmTemplate& f = *p.form;
        QCOMPARE(f.windowTitle(),
                 QStringLiteral("KALDEN.EXE: Scoring and analysis of an Index-based WAIS-III short-form"));
        QCOMPARE(f.label(1)->text(), QStringLiteral("VOCABULARY subtest scaled score:"));
        QCOMPARE(f.label(2)->text(), QStringLiteral("DIGIT SYMBOL subtest scaled score:"));
        QCOMPARE(f.label(7)->text(), QStringLiteral("MATRIX REASONING subtest scaled score:"));
        QCOMPARE(f.label(8)->text(), QStringLiteral("Age of individual (used in computing CLs on abnormality) :"));
        for (int k = 1; k <= 7; ++k) {
            QVERIFY(f.field(k)->isVisibleTo(&f));
            QVERIFY(f.label(k)->isVisibleTo(&f));
            QVERIFY(f.field(k)->text().isEmpty());
            QVERIFY(f.field(k)->font().bold());
        }
        QVERIFY(!f.field(8)->isVisibleTo(&f));
        QVERIFY(!f.label(8)->isVisibleTo(&f));
        QVERIFY(!f.grdData->isVisibleTo(&f));
        QVERIFY(!f.lblGridColumnsTitle->isVisibleTo(&f));
        QCOMPARE(f.lblGridColumnsTitle->text(), QStringLiteral("Column names"));
        QVERIFY(!f.lblItems->isVisibleTo(&f));
        for (QLabel* l : f.lblCol) QVERIFY(!l->isVisibleTo(&f));
        QVERIFY(!f.Label_N->isVisibleTo(&f));
        QVERIFY(!f.lbl_r->isVisibleTo(&f));
        QVERIFY(!f.cmdHelp->isVisibleTo(&f));
        QVERIFY(!f.pnlHelp->isVisibleTo(&f));
        QVERIFY(!f.cmdReturn->isVisibleTo(&f));
        QCOMPARE(f.cmdReturn->text(), QStringLiteral("Close Help"));
        QCOMPARE(f.cmdCompute->text(), QStringLiteral("Compute"));
        QCOMPARE(f.btnclearData->text(), QStringLiteral("Clear Data "));
        QCOMPARE(f.ExitBtn->text(), QStringLiteral("Exit"));
        QCOMPARE(f.cmdHelp->text(), QStringLiteral("Help with matrix..."));
        QCOMPARE(f.lblComments->text(), QStringLiteral("User's Notes:"));
        QVERIFY(f.lblComments->font().bold());
        QVERIFY(f.memoComments->toPlainText().isEmpty());
        QCOMPARE(f.config.InputCount, 7);
        QCOMPARE(f.config.StoredValueCount, 7);
        QVERIFY(!f.config.UseCorrelationMatrix);
        QVERIFY(!f.config.UseDataGrid);
        QCOMPARE(f.config.GridColumns, 4);
        QCOMPARE(f.config.GridRows, 7);
        for (double v : f.StoredMatrix) QCOMPARE(v, 0.0);
        QVERIFY(!f.PreviousDataLoaded);
        QVERIFY(p.boxes.events.isEmpty());
        // The title bar offers the system menu, close and minimise only.
        QVERIFY(f.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(f.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    void optionsStartAtTheirFirstItems() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        TfrmTemplate& f = *p.form;
        QCOMPARE(f.RadioGroup2->title(), QStringLiteral("95% or 90% CLs using traditional or Glutting method..."));
        QCOMPARE(f.RadioGroup3->title(), QStringLiteral("Reliability of differences..."));
        QCOMPARE(f.RadioGroup1->title(), QStringLiteral("Reliability of differences..."));
        QCOMPARE(
            f.GroupBox1->title(),
            QStringLiteral(
                "An abnormally low score (and abnormally large difference) is defined as being exhibited by less than.."));
        QCOMPARE(f.RadioGroup2->itemIndex(), 0);
        QCOMPARE(f.RadioGroup3->itemIndex(), 0);
        QCOMPARE(f.RadioGroup1->itemIndex(), 0);
        QVERIFY(f.RadioButton1->isChecked());
        QCOMPARE(f.RadioGroup2->item(3)->text(), QStringLiteral("90% CLs using Glutting method"));
        QCOMPARE(f.RadioGroup3->item(1)->text(), QStringLiteral("Between estimated true scores"));
        QCOMPARE(f.RadioGroup1->item(1)->text(), QStringLiteral("Apply sequential Bonferroni"));
        QCOMPARE(f.RadioButton3->text(), QStringLiteral("15% of population"));
        const Options o = f.chosenOptions();
        QVERIFY(o.confidenceMethod == ConfidenceMethod::Traditional95);
        QVERIFY(o.differenceBasis == DifferenceBasis::Observed);
        QVERIFY(!o.sequentialBonferroni);
        QVERIFY(o.abnormalityCriterion == AbnormalityCriterion::Percent5);

        f.RadioGroup2->item(2)->click();
        f.RadioGroup3->item(1)->click();
        f.RadioGroup1->item(1)->click();
        f.RadioButton2->click();
        const Options chosen = f.chosenOptions();
        QVERIFY(chosen.confidenceMethod == ConfidenceMethod::Glutting95);
        QVERIFY(chosen.differenceBasis == DifferenceBasis::EstimatedTrue);
        QVERIFY(chosen.sequentialBonferroni);
        QVERIFY(chosen.abnormalityCriterion == AbnormalityCriterion::Percent10);
        QVERIFY(!f.RadioButton1->isChecked()); // one group: exactly one selected
    }

    void descriptionIsCitationThenTheTextWithAScrollBar() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        TfrmTemplate& f = *p.form;
        const QString text = f.DescripFld->toPlainText();
        QVERIFY(text.startsWith(QString::fromStdString(CitationSentence) +
                                QStringLiteral("  The program calculates an individual's short-form Index scores")));
        QVERIFY(text.contains(QStringLiteral("(plus CLs on the percentile ranks).   The program then tests")));
        QVERIFY(text.endsWith(
            QStringLiteral("reported in the  output table which lists the Index scores plus confidence limits etc.")));
        QVERIFY(text.size() > 550);
        QVERIFY(f.DescripFld->isReadOnly());
        QCOMPARE(f.DescripFld->focusPolicy(), Qt::NoFocus);
        QCOMPARE(f.DescripFld->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        // A text of 550 characters or fewer has none.
        f.DescripFld->setPlainText(QString(550, u'x'));
        QCOMPARE(f.DescripFld->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        f.DescripFld->setPlainText(QString(551, u'x'));
        QCOMPARE(f.DescripFld->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }

    void tabOrderRunsFieldsOptionsNotesThenButtons() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        TfrmTemplate& f = *p.form;
        QList<QWidget*> expected;
        for (int k = 1; k <= 8; ++k) expected << f.field(k);
        expected << f.grdData;
        for (RadioGroupBox* g : {f.RadioGroup1, f.RadioGroup2, f.RadioGroup3})
            for (int i = 0; i < g->count(); ++i) expected << g->item(i);
        expected << f.RadioButton1 << f.RadioButton2 << f.RadioButton3 << f.memoComments << f.cmdCompute
                 << f.btnclearData << f.cmdHelp << f.ExitBtn << f.cmdReturn << f.cmdCases << f.cmdAbout << f.cmdSession;
        QWidget* w = expected.first();
        for (int i = 1; i < expected.size(); ++i) {
            w = w->nextInFocusChain();
            while (w->focusPolicy() == Qt::NoFocus || w->focusProxy()) w = w->nextInFocusChain();
            QCOMPARE(w, expected[i]);
        }
        QVERIFY(f.memoComments->tabChangesFocus());
    }

    // The options a case came back with are the ones the keyboard finds: Tab
    // into a group lands on its ticked choice, and the arrow keys move the tick.
    void anOptionGroupFromTheKeyboardLandsOnItsTickedChoiceAndArrowsMoveIt() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        TfrmTemplate& f = *p.form;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.RadioGroup1->setItemIndex(1);
        f.RadioGroup2->setItemIndex(2);
        f.RadioGroup3->setItemIndex(1);
        f.RadioButton3->setChecked(true);
        f.field(7)->setFocus(Qt::TabFocusReason);
        const QList<QWidget*> ticked = {f.RadioGroup1->item(1), f.RadioGroup2->item(2), f.RadioGroup3->item(1),
                                        f.RadioButton3, f.memoComments};
        for (QWidget* next : ticked) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // Back into the confidence group from the keyboard: Down moves the tick.
        f.RadioGroup2->item(2)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(f.RadioGroup2->item(2), Qt::Key_Down);
        QCOMPARE(f.RadioGroup2->itemIndex(), 3);
        QCOMPARE(QApplication::focusWidget(), f.RadioGroup2->item(3));
        QTest::keyClick(f.RadioButton3, Qt::Key_Left);
        QCOMPARE(f.RadioGroup2->itemIndex(), 3); // another group's keys leave this one
        f.RadioButton3->setFocus(Qt::TabFocusReason);
        QTest::keyClick(f.RadioButton3, Qt::Key_Left);
        QVERIFY(f.RadioButton2->isChecked());
        QCOMPARE(f.chosenOptions().abnormalityCriterion, AbnormalityCriterion::Percent10);
    }

    void everyControlHasAnAccessibleName() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        TfrmTemplate& f = *p.form;
        for (int k = 1; k <= 8; ++k) QCOMPARE(f.field(k)->accessibleName(), f.label(k)->text());
        for (RadioGroupBox* g : {f.RadioGroup1, f.RadioGroup2, f.RadioGroup3}) {
            QCOMPARE(g->accessibleName(), g->title());
            for (int i = 0; i < g->count(); ++i) QCOMPARE(g->item(i)->accessibleName(), g->item(i)->text());
        }
        for (QRadioButton* b : {f.RadioButton1, f.RadioButton2, f.RadioButton3})
            QCOMPARE(b->accessibleName(), b->text());
        for (QPushButton* b : {f.cmdCompute, f.btnclearData, f.ExitBtn, f.cmdHelp, f.cmdReturn})
            QCOMPARE(b->accessibleName(), b->text().trimmed());
        QCOMPARE(f.memoComments->accessibleName(), QStringLiteral("User's Notes:"));
        QVERIFY(!f.DescripFld->accessibleName().isEmpty());
    }

    // ---- Keystrokes ---------------------------------------------------------------
    void aLetterBeepsWarnsAndIsDiscarded() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        for (int k = 1; k <= 8; ++k) {
            p.boxes.events.clear();
            QLineEdit* f = p.form->field(k);
            f->setText(QStringLiteral("1"));
            f->setCursorPosition(1);
            QTest::keyClick(f, 'a');
            QCOMPARE(p.boxes.events, (QStringList{QStringLiteral("beep"), QStringLiteral("warning:") + NumericOnly}));
            QCOMPARE(f->text(), QStringLiteral("1"));
        }
    }

    // An accelerator pressed in any score field presses its button; one
    // that names no button types nothing and warns of nothing.
    void acceleratorsWorkFromEveryScoreField() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        p.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.form.get()));
        for (int k = 1; k <= 7; ++k) {
            QLineEdit* f = p.form->field(k);
            f->setText(QStringLiteral("1"));
            f->setFocus();
            QTest::keyClick(p.form->windowHandle(), Qt::Key_Z, Qt::AltModifier);
            QCOMPARE(f->text(), QStringLiteral("1"));
            // Through the window, as the platform delivers keys.
            QTest::keyClick(p.form->windowHandle(), Qt::Key_A, Qt::AltModifier);
            // The button is pressed as a click is animated, a moment later.
            QTRY_VERIFY2(p.form->findChild<TfrmCases*>() && p.form->findChild<TfrmCases*>()->isVisible(),
                         qPrintable(QStringLiteral("Alt+A in field %1").arg(k)));
            TfrmCases* cases = p.form->findChild<TfrmCases*>();
            cases->close();
            p.form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(p.form.get()));
            QVERIFY(p.boxes.events.isEmpty());
        }
        QCOMPARE(p.form->cmdSession->text(), QStringLiteral("&Person and Session..."));
        QCOMPARE(p.form->cmdSession->accessibleName(), QStringLiteral("Person and Session..."));
    }

    void digitsSignPointAndEditingKeysPass() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        QLineEdit* f = p.form->field(3);
        QTest::keyClicks(f, QStringLiteral("-1.5"));
        QCOMPARE(f->text(), QStringLiteral("-1.5"));
        QTest::keyClick(f, Qt::Key_Backspace);
        QCOMPARE(f->text(), QStringLiteral("-1."));
        QTest::keyClick(f, Qt::Key_Home);
        QTest::keyClick(f, Qt::Key_Delete);
        QCOMPARE(f->text(), QStringLiteral("1."));
        QTest::keyClick(f, Qt::Key_End);
        QTest::keyClick(f, Qt::Key_Left);
        QTest::keyClick(f, Qt::Key_Return);
        QVERIFY(p.boxes.events.isEmpty());
        // A second point is accepted here and rejected later by the scan.
        QTest::keyClick(f, Qt::Key_End);
        QTest::keyClicks(f, QStringLiteral("."));
        QCOMPARE(f->text(), QStringLiteral("1.."));
        QVERIFY(p.boxes.events.isEmpty());
    }

    void blankPlusCommaAndControlCharactersAreDiscarded() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        QLineEdit* f = p.form->field(1);
        for (char c : {' ', '+', ',', 'e'}) {
            p.boxes.events.clear();
            QTest::keyClick(f, c);
            QCOMPARE(p.boxes.events.size(), 2);
            QCOMPARE(p.boxes.events[0], QStringLiteral("beep"));
        }
        p.boxes.events.clear();
        QTest::keyClick(f, Qt::Key_Escape); // its character is a control character
        QCOMPARE(p.boxes.events, (QStringList{QStringLiteral("beep"), QStringLiteral("warning:") + NumericOnly}));
        QVERIFY(f->text().isEmpty());
    }

    void aSeventhCharacterIsCutAtKeyReleaseAndTheTextSelected() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        QLineEdit* f = p.form->field(2);
        QTest::keyClicks(f, QStringLiteral("123456"));
        QVERIFY(p.boxes.events.isEmpty());
        QTest::keyPress(f, '7');
        QCOMPARE(f->text(), QStringLiteral("1234567")); // the box is shown while it still holds the long text
        QTest::keyRelease(f, '7');
        QCOMPARE(p.boxes.events, (QStringList{QStringLiteral("beep"), QStringLiteral("warning:") + MaxLength}));
        QCOMPARE(f->text(), QStringLiteral("123456"));
        QCOMPARE(f->selectedText(), QStringLiteral("123456"));
        // The next character replaces the whole text.
        QTest::keyClick(f, '9');
        QCOMPARE(f->text(), QStringLiteral("9"));
    }

    void aCharacterTypedInTheMiddlePushesTheLastOneOut() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        QLineEdit* f = p.form->field(4);
        f->setText(QStringLiteral("123456"));
        f->setCursorPosition(2);
        QTest::keyClick(f, '9');
        QCOMPARE(f->text(), QStringLiteral("129345"));
    }

    void pastedTextIsNotFilteredButCaughtByCompute() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.setScores(Mixed);
        p.form->field(5)->setText(QStringLiteral("8a")); // as a paste leaves it
        QVERIFY(p.boxes.events.isEmpty());
        p.form->cmdComputeClick();
        QCOMPARE(p.boxes.warnings(),
                 QStringList{QStringLiteral(
                     "INPUT ERROR\r(  ARITHMETIC subtest scaled score:  8a  )\r\rEnter numeric data only.")});
    }

    // ---- Compute ------------------------------------------------------------------
    void computeWithAnEmptyFieldWarnsAndFocusesIt() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        p.form->field(1)->setText(QStringLiteral("10"));
        p.form->cmdComputeClick();
        QCOMPARE(p.boxes.events,
                 QStringList{QStringLiteral("warning:INPUT ERROR\r\r(  DIGIT SYMBOL subtest scaled score:  )\r\r"
                                            "Data have not been entered in this field.")});
        QCOMPARE(p.form->focusWidget(), p.form->field(2));
        QVERIFY(!QFile::exists(p.dataFile(dir)));
        QVERIFY(!p.results->isVisible());
        QVERIFY(p.form->isVisible());
        QCOMPARE(p.results->windowTitle(), QStringLiteral("Output"));
        QVERIFY(p.results->reportLines().empty());
    }

    void computeReportsOnlyTheFirstBadFieldAndSelectsIt() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        p.setScores({"10", "12", "1.5.", "25", "", "x", "0"});
        p.form->cmdComputeClick();
        QCOMPARE(p.boxes.events,
                 QStringList{QStringLiteral("warning:INPUT ERROR\r(  SIMILARITIES subtest scaled score:  1.5.  )\r\r"
                                            "Enter numeric data only.")});
        QCOMPARE(p.form->focusWidget(), p.form->field(3));
        QCOMPARE(p.form->field(3)->selectedText(), QStringLiteral("1.5."));
        QCOMPARE(p.form->field(3)->text(), QStringLiteral("1.5.")); // texts are left as typed
        QVERIFY(!QFile::exists(p.dataFile(dir)));
    }

    void computeRangeMessagesShowTheValueWithThreeDecimals() {
        struct Case {
            QString text;
            QString shown;
        };
        const QList<Case> cases = {{"-5", "-5.000"}, {"19.01", "19.010"}, {"0.99", "0.990"},
                                   {".", "0.000"},   {"-", "0.000"},      {"25", "25.000"}};
        for (const Case& c : cases) {
            QTemporaryDir dir;
            Program p;
            p.start(exeIn(dir));
            p.setScores(Mixed);
            p.form->field(6)->setText(c.text);
            p.form->cmdComputeClick();
            QCOMPARE(p.boxes.warnings(),
                     QStringList{
                         QStringLiteral("INPUT ERROR\r(  DIGIT SPAN subtest scaled score:  ") + c.shown +
                         QStringLiteral("  )\rThe valid range for Wechsler subtest scaled scores is 1 to 19 ")});
            QCOMPARE(p.form->focusWidget(), p.form->field(6));
            QVERIFY(!p.results->isVisible());
        }
    }

    void scoresOfOneAndNineteenPass() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        p.setScores({"19", "1", "19", "13", "7", "7", "13"});
        p.form->cmdComputeClick();
        QVERIFY(p.boxes.events.isEmpty());
        QVERIFY(p.results->isVisible());
    }

    void theHiddenAgeFieldNeverCausesAMessage() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        p.setScores(Mixed);
        p.form->field(8)->setText(QStringLiteral("junk!"));
        p.form->cmdComputeClick();
        QVERIFY(p.boxes.events.isEmpty());
        QVERIFY(p.results->isVisible());
    }

    void computeSavesComputesAndHandsOverToTheResultsWindow() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        p.setScores(Mixed);
        p.form->cmdComputeClick();
        QVERIFY(p.boxes.events.isEmpty());
        QCOMPARE(readBytes(p.dataFile(dir)), std::string("12 7 11 9 8 10 13  "));
        QVERIFY(p.results->isVisible());
        QVERIFY(!p.form->isVisible());
        QCOMPARE(p.results->windowTitle(),
                 QStringLiteral(
                     "Results viewer: KALDEN.EXE: Scoring and analysis of an Index-based WAIS-III short-form"));
        InputRecord r;
        for (int k = 1; k <= 7; ++k) r.setScore(k, Mixed[k - 1].toDouble());
        const ReportLines expected = scoreCase(r, {}).report;
        QCOMPARE(p.results->reportLines(), expected);
        QCOMPARE(p.results->reportLines().front(), std::string());
        QCOMPARE(p.results->reportLines()[1], ProgramTitle);
        // The worksheet keeps its fields, notes and options.
        for (int k = 1; k <= 7; ++k) QCOMPARE(p.form->field(k)->text(), Mixed[k - 1]);
    }

    void twoComputesAppendWithTheSeparator() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        p.setScores(Mixed);
        p.form->cmdComputeClick();
        const std::size_t first = p.results->reportLines().size();
        p.results->cmdReturnClick();
        QVERIFY(p.form->isVisible());
        QVERIFY(!p.results->isVisible());
        QCOMPARE(p.form->focusWidget(), p.form->field(7)); // the focus rule runs again
        p.form->cmdComputeClick();
        const ReportLines lines = p.results->reportLines();
        QCOMPARE(lines.size(), 2 * first + 4);
        QCOMPARE(lines[first], std::string());
        QCOMPARE(lines[first + 1], std::string(103, '-'));
        QCOMPARE(lines[first + 2], std::string(103, '-'));
        QCOMPARE(lines[first + 3], std::string());
        QCOMPARE(lines[first + 4], std::string());
        QCOMPARE(lines[first + 5], ProgramTitle);
        QCOMPARE(ReportLines(lines.begin(), lines.begin() + static_cast<long>(first)),
                 ReportLines(lines.begin() + static_cast<long>(first + 4), lines.end()));
    }

    void notesEnterTheReport() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.setScores(Mixed);
        p.form->memoComments->setPlainText(QStringLiteral("abc\ndef"));
        p.form->cmdComputeClick();
        const ReportLines lines = p.results->reportLines();
        const auto at = std::find(lines.begin(), lines.end(), " User's Notes: abc");
        QVERIFY(at != lines.end());
        QCOMPARE(*(at + 1), std::string(15, ' ') + "def");
        QCOMPARE(*(at + 2), std::string(" "));
        QCOMPARE(*(at + 3), std::string(" INPUTS:"));
    }

    // ---- Clear Data and Exit ---------------------------------------------------------
    void clearDataEmptiesFieldsAndNotesDeletesTheFileAndKeepsOptions() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        p.setScores(Mixed);
        p.form->memoComments->setPlainText(QStringLiteral("notes"));
        p.form->RadioGroup2->setItemIndex(3);
        p.form->cmdComputeClick();
        QVERIFY(QFile::exists(p.dataFile(dir)));
        p.results->cmdReturnClick();
        p.form->StoredMatrix[5] = 0.5;
        p.form->btnclearDataClick();
        for (int k = 1; k <= 8; ++k) QVERIFY(p.form->field(k)->text().isEmpty());
        QVERIFY(p.form->memoComments->toPlainText().isEmpty());
        QVERIFY(!QFile::exists(p.dataFile(dir)));
        QCOMPARE(p.form->StoredMatrix[5], 0.0);
        QCOMPARE(p.form->focusWidget(), p.form->field(1));
        QCOMPARE(p.form->RadioGroup2->itemIndex(), 3);
        QVERIFY(!p.results->reportLines().empty()); // the results are left as they are
        QVERIFY(p.boxes.events.isEmpty());          // no confirmation

        // After a restart the fields are empty and the focus is in the first.
        p.stop();
        Program again;
        again.start(exeIn(dir));
        again.form->show();
        for (int k = 1; k <= 7; ++k) QVERIFY(again.form->field(k)->text().isEmpty());
        QCOMPARE(again.form->focusWidget(), again.form->field(1));
    }

    void clearDataWithoutAFileIsQuiet() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->btnclearDataClick();
        QVERIFY(p.boxes.events.isEmpty());
    }

    void exitAsksAndEndsOnlyOnYes() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.setScores(Mixed);
        p.boxes.answers = {false};
        p.form->ExitBtnClick();
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("confirm:Exit from program?")});
        QCOMPARE(p.host.endRequests, 0);
        p.boxes.answers = {true};
        p.form->ExitBtnClick();
        QCOMPARE(p.host.endRequests, 1);
        QVERIFY(!QFile::exists(p.dataFile(dir))); // nothing is saved on exit
    }

    void closingTheWorksheetEndsTheProgramWithoutAQuestion() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        QVERIFY(p.form->close());
        QCOMPARE(p.host.endRequests, 1);
        QVERIFY(p.boxes.events.isEmpty());
    }

    // ---- The focus rule -----------------------------------------------------------------
    void firstStartWithoutADataFile() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
        for (int k = 1; k <= 7; ++k) QVERIFY(p.form->field(k)->text().isEmpty());
        QCOMPARE(p.form->focusWidget(), p.form->field(1));
        QVERIFY(!p.form->PreviousDataLoaded);
    }

    void startWithADataFileFillsTheFieldsAndFocusesTheSeventh() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("kalden.txt"), "10 12 9 11 8 13 10  ");
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        const QStringList expected = {"10", "12", "9", "11", "8", "13", "10"};
        for (int k = 1; k <= 7; ++k) QCOMPARE(p.form->field(k)->text(), expected[k - 1]);
        QVERIFY(p.form->field(8)->text().isEmpty());
        QCOMPARE(p.form->focusWidget(), p.form->field(7));
        QVERIFY(p.form->PreviousDataLoaded);
        QVERIFY(p.boxes.events.isEmpty());
    }

    void theFocusRuleWithFewerStoredValues() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("kalden.txt"), "10 12 9 11 8 13 10  ");
        TemplateConfig config;
        config.StoredValueCount = 3;
        Program p;
        p.start(exeIn(dir), config);
        p.form->show();
        QCOMPARE(p.form->focusWidget(), p.form->field(4)); // field k + 1, visible
    }

    // ---- The previous-data file -----------------------------------------------------------
    // An installed program's folder is not the user's to write, and the last
    // case is private: the file is kept in the user's data folder, both made
    // private when Compute creates them.
    void theDataFileIsPrivateToTheUser() {
#ifdef _WIN32
        QSKIP("POSIX file modes, FIFOs and file-size limits; Windows guards the data folder by the user profile");
#else
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        QCOMPARE(QString::fromStdString(p.form->dataFilePath()), p.dataFile(dir));
        p.setScores(Mixed);
        p.form->cmdComputeClick();
        QVERIFY(p.boxes.events.isEmpty());
        QCOMPARE(readBytes(p.dataFile(dir)), std::string("12 7 11 9 8 10 13  "));
        QCOMPARE(QFileInfo(p.dataFile(dir)).permissions(),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        struct stat folder {};
        QCOMPARE(::stat(QFile::encodeName(Program::dataFolder(dir)).constData(), &folder), 0);
        QCOMPARE(folder.st_mode & 07777, 0700u);
        QVERIFY(!QFile::exists(dir.filePath("kalden.txt"))); // nothing beside the executable
#endif
    }

    // A file an older version kept beside the executable is read until the
    // user's own folder exists, and is never changed or deleted.
    void anOlderFileBesideTheExecutableIsCarriedOver() {
        QTemporaryDir dir;
        const QString old = dir.filePath("kalden.txt");
        writeBytes(old, "10 12 9 11 8 13 10  ");
        {
            Program p;
            p.start(exeIn(dir));
            QCOMPARE(p.form->field(6)->text(), QStringLiteral("13"));
            QVERIFY(p.form->PreviousDataLoaded);
            p.form->field(1)->setText(QStringLiteral("19"));
            p.form->cmdComputeClick();
            QVERIFY(p.boxes.events.isEmpty());
            QCOMPARE(readBytes(p.dataFile(dir)), std::string("19 12 9 11 8 13 10  "));
        }
        {
            Program p;
            p.start(exeIn(dir));
            QCOMPARE(p.form->field(1)->text(), QStringLiteral("19")); // the user's own file now
            p.form->btnclearDataClick();
            QVERIFY(p.boxes.events.isEmpty());
            QVERIFY(!QFile::exists(p.dataFile(dir)));
        }
        Program p;
        p.start(exeIn(dir));
        for (int k = 1; k <= 7; ++k) QVERIFY(p.form->field(k)->text().isEmpty()); // cleared stays cleared
        QVERIFY(!p.form->PreviousDataLoaded);
        QCOMPARE(readBytes(old), std::string("10 12 9 11 8 13 10  "));
    }

    void writtenAndReadBack() {
        QTemporaryDir dir;
        {
            Program p;
            p.start(exeIn(dir));
            p.setScores({"09", "10.50", "12", "1.", "19", "7", "13"});
            p.form->memoComments->setPlainText(QStringLiteral("not kept"));
            p.form->RadioGroup1->setItemIndex(1);
            p.form->cmdComputeClick();
            QCOMPARE(readBytes(p.dataFile(dir)), std::string("09 10.50 12 1. 19 7 13  "));
        }
        Program p;
        p.start(exeIn(dir));
        const QStringList expected = {"9", "10.5", "12", "1", "19", "7", "13"};
        for (int k = 1; k <= 7; ++k) QCOMPARE(p.form->field(k)->text(), expected[k - 1]);
        // Options and notes are not restored.
        QVERIFY(p.form->memoComments->toPlainText().isEmpty());
        QCOMPARE(p.form->RadioGroup1->itemIndex(), 0);
    }

    void aZeroLengthFileShowsZeroInEveryField() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("kalden.txt"), "");
        Program p;
        p.start(exeIn(dir));
        for (int k = 1; k <= 7; ++k) QCOMPARE(p.form->field(k)->text(), QStringLiteral("0"));
        QVERIFY(p.form->PreviousDataLoaded);
        QVERIFY(p.boxes.events.isEmpty());
    }

    void tooFewNumbersShowZeroAndExtraNumbersAreIgnored() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("kalden.txt"), "10 12\t9\r\n");
        Program p;
        p.start(exeIn(dir));
        const QStringList expected = {"10", "12", "9", "0", "0", "0", "0"};
        for (int k = 1; k <= 7; ++k) QCOMPARE(p.form->field(k)->text(), expected[k - 1]);

        QTemporaryDir dir2;
        writeBytes(dir2.filePath("kalden.txt"), "1 2 3 4 5 6 7 8 9 10");
        Program q;
        q.start(exeIn(dir2));
        QCOMPARE(q.form->field(7)->text(), QStringLiteral("7"));
        QVERIFY(q.form->field(8)->text().isEmpty());
    }

    void aRestoredValueShowsSixSignificantDigits() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("kalden.txt"), "12.3456789 1 1 1 1 1 1");
        Program p;
        p.start(exeIn(dir));
        QCOMPARE(p.form->field(1)->text(), QStringLiteral("12.3457"));
    }

    void aBadNumberShowsTheErrorBoxAndKeepsWhatWasRead() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("kalden.txt"), "10 12 9 eleven 8 13 10  ");
        Program p;
        p.start(exeIn(dir));
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("error:Invalid numeric input")});
        QCOMPARE(p.form->field(1)->text(), QStringLiteral("10"));
        QCOMPARE(p.form->field(3)->text(), QStringLiteral("9"));
        for (int k = 4; k <= 7; ++k) QVERIFY(p.form->field(k)->text().isEmpty());
        QVERIFY(!p.form->PreviousDataLoaded);
        // The start-up goes on: visibility applied, the window opens normally.
        QVERIFY(!p.form->field(8)->isVisibleTo(p.form.get()));
        p.form->show();
        QCOMPARE(p.form->focusWidget(), p.form->field(7));
    }

    // Hostile data files: the worksheet opens, the fields read before the
    // fault keep their values, nothing crashes or hangs.
    void hostileDataFilesOpenTheWorksheet_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("errors");
        const QStringList invalid{QStringLiteral("Invalid numeric input")};
        const QStringList none;
        static const char binary[] = "12 7 \x00\x01\xff\xfe 9";
        QTest::newRow("binary bytes") << QByteArray(binary, sizeof binary - 1) << QStringList{"12", "7"} << invalid;
        QTest::newRow("overflowing exponent") << QByteArray("12 1e999 9 8 7 6 5") << QStringList{"12"} << invalid;
        QTest::newRow("nan") << QByteArray("12 7 nan 9") << QStringList{"12", "7"} << invalid;
        QTest::newRow("inf") << QByteArray("inf 7") << QStringList{} << invalid;
        QTest::newRow("negative zero") << QByteArray("-0 7 11 9 8 10 13  ")
                                       << QStringList{"0", "7", "11", "9", "8", "10", "13"} << none;
        // A token ends after 64 characters, so a long run of digits reads as
        // several numbers of 64 digits each.
        const QString sevens = QStringLiteral("7.77778e+63");
        QTest::newRow("very long token") << (QByteArray("12 ") + QByteArray(100000, '7') + " 9")
                                         << QStringList{"12", sevens, sevens, sevens, sevens, sevens, sevens} << none;
        const QString fives = QStringLiteral("5.55556e+63");
        QTest::newRow("no separators at all")
            << QByteArray(2 << 20, '5') << QStringList{fives, fives, fives, fives, fives, fives, fives} << none;
        QTest::newRow("separators only") << QByteArray(1 << 20, ' ') << QStringList{"0", "0", "0", "0", "0", "0", "0"}
                                         << none;
    }
    void hostileDataFilesOpenTheWorksheet() {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, errors);
        QTemporaryDir dir;
        writeBytes(dir.filePath("kalden.txt"), content.toStdString());
        Program p;
        p.start(exeIn(dir));
        QCOMPARE(p.boxes.errors(), errors);
        for (int k = 1; k <= 7; ++k) QCOMPARE(p.form->field(k)->text(), k <= fields.size() ? fields[k - 1] : QString());
        p.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
    }

    void aHundredMegabyteDataFileIsReadOnlyAsFarAsNeeded() {
        QTemporaryDir dir;
        {
            std::ofstream out(dir.filePath("kalden.txt").toStdString(), std::ios::binary);
            out << "12 7 11 9 8 10 13  ";
            const std::string block(1 << 20, '9');
            for (int i = 0; i < 100; ++i) out << block;
        }
        QElapsedTimer clock;
        clock.start();
        Program p;
        p.start(exeIn(dir));
        QVERIFY2(clock.elapsed() < 5000, "start-up took longer than five seconds");
        QVERIFY(p.boxes.errors().isEmpty());
        QCOMPARE(p.form->field(7)->text(), QStringLiteral("13"));
        QVERIFY(p.form->PreviousDataLoaded);
    }

    void aNamedPipeInPlaceOfTheDataFileDoesNotHangTheStart() {
#ifdef _WIN32
        QSKIP("POSIX file modes, FIFOs and file-size limits; Windows guards the data folder by the user profile");
#else
        QTemporaryDir dir;
        Program p;
        QVERIFY(QDir().mkpath(Program::dataFolder(dir)));
        QCOMPARE(::mkfifo(QFile::encodeName(p.dataFile(dir)).constData(), 0600), 0);
        p.start(exeIn(dir));
        QCOMPARE(p.boxes.errors(),
                 QStringList{
                     QStringLiteral("Could not read the last case from %1: Not a regular file").arg(p.dataFile(dir))});
        for (int k = 1; k <= 7; ++k) QVERIFY(p.form->field(k)->text().isEmpty());
#endif
    }

    void aDataFileThatCannotBeReadGivesTheSystemsReason() {
        QTemporaryDir dir;
        Program p;
        QVERIFY(QDir().mkpath(p.dataFile(dir))); // a folder in its place
        p.start(exeIn(dir));
#ifdef _WIN32
        const QString reason = QStringLiteral("Permission denied"); // what Windows says of opening a folder
#else
        const QString reason = QStringLiteral("Is a directory");
#endif
        QCOMPARE(p.boxes.errors(),
                 QStringList{QStringLiteral("Could not read the last case from %1: %2").arg(p.dataFile(dir), reason)});
        QVERIFY(!p.form->PreviousDataLoaded);
        for (int k = 1; k <= 7; ++k) QVERIFY(p.form->field(k)->text().isEmpty());
    }

    // Fault mended: pasted blanks no longer shift the later fields.
    void aFieldTextWithBlanksComesBackAsOneNumber() {
        QTemporaryDir dir;
        {
            Program p;
            p.start(exeIn(dir));
            p.setScores({"1 2", "7", " 11", "9", "8", "10", "13"});
            p.form->cmdComputeClick();
            QVERIFY(p.boxes.events.isEmpty());
            QCOMPARE(readBytes(p.dataFile(dir)), std::string("12 7 11 9 8 10 13  "));
        }
        Program p;
        p.start(exeIn(dir));
        const QStringList expected = {"12", "7", "11", "9", "8", "10", "13"};
        for (int k = 1; k <= 7; ++k) QCOMPARE(p.form->field(k)->text(), expected[k - 1]);
    }

    // A user folder named outside the ANSI code page (C:\\Users\\Søren on
    // Windows): the last case is saved there and read back at the next start.
    void theLastCaseLivesInAFolderOfAnyName() {
        QTemporaryDir dir;
        const QString home = dir.filePath(QStringLiteral("S\u00f8ren \u042e\u0440\u0438\u0439 \u65e5\u672c"));
        {
            Program p;
            p.host.dataHomePath = home;
            p.start(exeIn(dir));
            p.setScores(Mixed);
            p.form->cmdComputeClick();
            QVERIFY(p.boxes.events.isEmpty());
        }
        QCOMPARE(readBytes(home + QStringLiteral("/kalden/kalden.txt")), std::string("12 7 11 9 8 10 13  "));
        Program again;
        again.host.dataHomePath = home;
        again.start(exeIn(dir));
        QVERIFY(again.boxes.events.isEmpty());
        QCOMPARE(again.form->field(7)->text(), QStringLiteral("13"));
    }

    // Tests run as root, where a read-only folder does not stop writing; a
    // folder that is in fact a regular file, or one that has vanished, does.
    void aDataFileThatCannotBeWrittenEndsComputeWithTheReason() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("plain"), "x");
        Program p;
        p.host.dataHomePath = dir.filePath("plain"); // "folder" plain is a file
        p.start(exeIn(dir));
        QVERIFY(p.boxes.events.isEmpty()); // no file found at start: not an error
        p.form->show();
        p.setScores(Mixed);
        p.form->cmdComputeClick();
        const QString reason = kalden::testing::notAFolderReason();
        QCOMPARE(p.boxes.events, QStringList{QStringLiteral("error:Could not save the last case to %1: %2")
                                                 .arg(dir.filePath("plain/kalden/kalden.txt"), reason)});
        QVERIFY(!p.results->isVisible());
        QVERIFY(p.form->isVisible());
        QVERIFY(p.results->reportLines().empty());
        QCOMPARE(p.results->windowTitle(), QStringLiteral("Output"));
    }

    // The user's data folder is made again when it vanished while running.
    void aVanishedDataFolderIsMadeAgain() {
        QTemporaryDir dir;
        Program p;
        p.host.dataHomePath = dir.filePath("home/.local/share");
        p.start(exeIn(dir));
        p.setScores(Mixed);
        p.form->cmdComputeClick();
        QVERIFY(QDir(dir.filePath("home")).removeRecursively());
        p.form->cmdComputeClick();
        QVERIFY(p.boxes.events.isEmpty());
        QCOMPARE(readBytes(dir.filePath("home/.local/share/kalden/kalden.txt")), std::string("12 7 11 9 8 10 13  "));
        // The second case is recorded in the folder made again, not in the
        // database that went with the old one.
        CaseStore store;
        std::string error;
        std::int64_t cases = 0;
        QVERIFY(store.open(corePath(dir.filePath("home/.local/share/kalden/cases.sqlite")), CaseStore::Access::ReadOnly,
                           error));
        QVERIFY(store.count(cases, error));
        QCOMPARE(cases, std::int64_t{1});
    }

    void aReadOnlyFolderEndsComputeWithTheReason() {
#ifdef _WIN32
        QSKIP("POSIX file modes, FIFOs and file-size limits; Windows guards the data folder by the user profile");
#else
        if (::geteuid() == 0) QSKIP("running as root: a read-only folder does not stop root from writing");
        QTemporaryDir dir;
        Program p;
        QVERIFY(QDir().mkpath(Program::dataFolder(dir)));
        writeBytes(p.dataFile(dir), "10 12 9 11 8 13 10  ");
        QFile::setPermissions(Program::dataFolder(dir), QFile::ReadOwner | QFile::ExeOwner);
        p.start(exeIn(dir));
        p.setScores(Mixed);
        p.form->cmdComputeClick();
        QCOMPARE(p.boxes.events,
                 QStringList{QStringLiteral("error:Could not save the last case to %1: Permission denied")
                                 .arg(p.dataFile(dir))});
        QVERIFY(!p.results->isVisible());
        QCOMPARE(readBytes(p.dataFile(dir)), std::string("10 12 9 11 8 13 10  "));
        QFile::setPermissions(Program::dataFolder(dir), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
#endif
    }

    // Fault mended: a save that fails half-way leaves the previous file whole.
    void aFailedSaveKeepsThePreviousFile() {
#ifdef _WIN32
        QSKIP("POSIX file modes, FIFOs and file-size limits; Windows guards the data folder by the user profile");
#else
        QTemporaryDir dir;
        Program p;
        QVERIFY(QDir().mkpath(Program::dataFolder(dir)));
        writeBytes(p.dataFile(dir), "10 12 9 11 8 13 10  ");
        p.start(exeIn(dir));
        p.setScores({"19", "19", "19", "19", "19", "19", "19"});
        // Limit the size of any file this process writes, so that writing the
        // new content fails after a few bytes.
        struct rlimit saved {};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tiny = saved;
        tiny.rlim_cur = 5;
        ::setrlimit(RLIMIT_FSIZE, &tiny);
        p.form->cmdComputeClick();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QCOMPARE(p.boxes.events,
                 QStringList{
                     QStringLiteral("error:Could not save the last case to %1: File too large").arg(p.dataFile(dir))});
        QCOMPARE(readBytes(p.dataFile(dir)), std::string("10 12 9 11 8 13 10  "));
        QCOMPARE(QDir(Program::dataFolder(dir)).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("kalden.txt")});
        QVERIFY(!p.results->isVisible());
#endif
    }

    // ---- The notes field ------------------------------------------------------------------
    void notesGrowAndShrink() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
        QPlainTextEdit* notes = p.form->memoComments;
        const int collapsed = p.form->notesCollapsedHeight();
        const int expanded = p.form->notesExpandedHeight();
        QVERIFY(collapsed >= 25);
        QVERIFY(expanded >= 70);
        QCOMPARE(notes->height(), collapsed);

        notes->setFocus(Qt::TabFocusReason);
        QCOMPARE(notes->height(), collapsed); // one line: stays collapsed
        QTest::keyClicks(notes, QStringLiteral("first"));
        QCOMPARE(notes->height(), collapsed);
        QTest::keyClick(notes, Qt::Key_Return); // Enter grows it
        QCOMPARE(notes->height(), expanded);
        QTest::keyClicks(notes, QStringLiteral("second"));
        QCOMPARE(notes->height(), expanded);

        p.form->field(1)->setFocus(Qt::TabFocusReason); // leaving it shrinks it
        QCOMPARE(notes->height(), collapsed);
        notes->setFocus(Qt::TabFocusReason); // two lines: entering grows it
        QCOMPARE(notes->height(), expanded);
        p.form->field(1)->setFocus(Qt::TabFocusReason);
        QCOMPARE(notes->height(), collapsed);
    }

    void notesHoldAtMostTwoHundredFiftyCharacters() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        QPlainTextEdit* notes = p.form->memoComments;
        notes->setPlainText(QString(249, u'a'));
        notes->moveCursor(QTextCursor::End);
        QTest::keyClicks(notes, QStringLiteral("bcd"));
        QCOMPARE(notes->toPlainText(), QString(249, u'a') + QStringLiteral("b"));
        notes->insertPlainText(QStringLiteral("pasted"));
        QCOMPARE(notes->toPlainText().size(), 250);
    }

    void tabInTheNotesMovesTheFocus() {
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        QVERIFY(QTest::qWaitForWindowActive(p.form.get()));
        p.form->memoComments->setFocus(Qt::TabFocusReason);
        QTest::keyClick(p.form->memoComments, Qt::Key_Tab);
        QVERIFY(!p.form->memoComments->toPlainText().contains(u'\t'));
        QCOMPARE(QApplication::focusWidget(), p.form->cmdCompute);
    }

    // ---- The matrix help panel (shown only with the correlation-matrix switch) ----------
    void theHelpPanelReplacesTheButtonsUntilClosed() {
        QTemporaryDir dir;
        TemplateConfig config;
        config.UseCorrelationMatrix = true;
        Program p;
        p.start(exeIn(dir), config);
        TfrmTemplate& f = *p.form;
        QVERIFY(f.cmdHelp->isVisibleTo(&f));
        QCOMPARE(f.pnlHelp->title(),
                 QStringLiteral(" Guidance in reading in a correlation matrix from an external file :  "));
        QCOMPARE(TfrmTemplate::matrixGuidanceLines().size(), 9);
        QCOMPARE(TfrmTemplate::matrixExampleLines().last(), QStringLiteral("0.664 0.564 0.389 1.000"));
        f.cmdHelpClick();
        QVERIFY(f.pnlHelp->isVisibleTo(&f));
        QVERIFY(f.cmdReturn->isVisibleTo(&f));
        QVERIFY(!f.cmdCompute->isVisibleTo(&f));
        QVERIFY(!f.btnclearData->isVisibleTo(&f));
        QVERIFY(!f.ExitBtn->isVisibleTo(&f));
        f.cmdReturnClick();
        QVERIFY(!f.pnlHelp->isVisibleTo(&f));
        QVERIFY(!f.cmdReturn->isVisibleTo(&f));
        QVERIFY(f.cmdCompute->isVisibleTo(&f));
        QVERIFY(f.btnclearData->isVisibleTo(&f));
        QVERIFY(f.ExitBtn->isVisibleTo(&f));
    }

    void aRestoredMatrixMakesComputeContinue() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("kalden.txt"), "1 1 1 1 1 1 1 2  0.3 0.5 1");
        TemplateConfig config;
        config.UseCorrelationMatrix = true;
        config.StoredValueCount = 8;
        config.InputCount = 8;
        Program p;
        p.start(exeIn(dir), config);
        QCOMPARE(p.form->cmdCompute->text(), QStringLiteral("Continue"));
        QCOMPARE(p.form->StoredMatrix[1], 0.5); // element (1, 2)
        QCOMPARE(p.form->StoredMatrix[21], 1.0);
        QVERIFY(p.form->field(8)->isVisibleTo(p.form.get()));
    }

    void theDataGridIsRestoredShownAndSavedWhenSwitchedOn() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("kalden.txt"), "2 3 1 1 1 1 1  1 2 3 4.5 5 6");
        TemplateConfig config;
        config.UseDataGrid = true;
        Program p;
        p.start(exeIn(dir), config);
        QVERIFY(p.boxes.events.isEmpty());
        QTableWidget* grid = p.form->grdData;
        QVERIFY(grid->isVisibleTo(p.form.get()));
        QCOMPARE(grid->columnCount(), 3);
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("1"));
        QCOMPARE(grid->item(2, 0)->text(), QStringLiteral("3"));
        QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("4.5"));
        QCOMPARE(grid->item(2, 1)->text(), QStringLiteral("5"));
        p.form->cmdComputeClick();
        QVERIFY(p.boxes.events.isEmpty());
        QCOMPARE(readBytes(p.dataFile(dir)), std::string("2 3 1 1 1 1 1  1 2 3 4.5 5 6 "));
        const ReportLines lines = p.results->reportLines();
        QVERIFY(std::find(lines.begin(), lines.end(), "  1:   3.000   4.500") != lines.end());
        p.results->cmdReturnClick();
        p.form->btnclearDataClick();
        QVERIFY(grid->item(1, 2)->text().isEmpty());
        QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("2"));
    }

    // ---- Layout: nothing clipped at the default and at a large font -----------------------
    void noCaptionIsClipped_data() { ApplicationFontSize::addRows(); }
    void noCaptionIsClipped() {
        QFETCH(int, pointSize);
        const ApplicationFontSize font(pointSize);
        QTemporaryDir dir;
        Program p;
        p.start(exeIn(dir));
        p.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
        for (QWidget* w : p.form->findChildren<QWidget*>()) {
            if (!w->isVisible()) continue;
            if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                QVERIFY2(b->width() >= b->minimumSizeHint().width(), qPrintable(b->text()));
                QVERIFY2(b->height() >= b->minimumSizeHint().height(), qPrintable(b->text()));
            }
            if (auto* l = qobject_cast<QLabel*>(w))
                QVERIFY2(l->width() >= l->minimumSizeHint().width(), qPrintable(l->text()));
            if (auto* g = qobject_cast<QGroupBox*>(w))
                QVERIFY2(g->width() >= g->minimumSizeHint().width(), qPrintable(g->title()));
            // Inside its parent; the sheet of controls may be larger than
            // the window, which then scrolls it.
            const QRect inParent = QRect(QPoint(0, 0), w->parentWidget()->size());
            if (w != p.form->memoComments && w->objectName() != QStringLiteral("sheet"))
                QVERIFY2(inParent.contains(w->geometry()), qPrintable(w->objectName()));
        }
        // The arrangement: options on the left, fields on the right, buttons at the bottom.
        auto inForm = [&](QWidget* w) { return QRect(w->mapTo(p.form.get(), QPoint(0, 0)), w->size()); };
        QVERIFY(inForm(p.form->RadioGroup2).right() < inForm(p.form->field(1)).left());
        QVERIFY(inForm(p.form->label(1)).right() < inForm(p.form->field(1)).left());
        QVERIFY(inForm(p.form->GroupBox1).bottom() < inForm(p.form->cmdCompute).top());
        QVERIFY(inForm(p.form->cmdCompute).left() < inForm(p.form->btnclearData).left());
        QVERIFY(inForm(p.form->btnclearData).right() < inForm(p.form->ExitBtn).left());
        p.stop();
    }
};

QTEST_MAIN(WorksheetWindowTest)
#include "WorksheetWindowTest.moc"
