#include "gui/session/SessionDialog.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/platform/Services.h"
#include "gui/platform/WindowHelpers.h"

namespace kalden {

TfrmSession::TfrmSession(const Session& session, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), boxes_(boxes) {
    setObjectName(QStringLiteral("frmSession"));
    setWindowTitle(QStringLiteral("Person and Session"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const auto field = [this, form](QLineEdit*& edit, const char* name, const QString& label, const std::string& text,
                                    const QString& hint) {
        edit = new QLineEdit(QString::fromStdString(text), this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setPlaceholderText(hint);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(40, u'0')));
        auto* caption = new QLabel(label, this);
        caption->setBuddy(edit);
        edit->setAccessibleName(caption->text().remove(u'&').remove(u':'));
        form->addRow(caption, edit);
    };
    field(txtPerson, "txtPerson", QStringLiteral("&Person:"), session.person,
          QStringLiteral("a name or any identifier"));
    field(txtBirthDate, "txtBirthDate", QStringLiteral("Date of &birth:"), session.birthDate,
          QStringLiteral("YYYY-MM-DD (may be left empty)"));
    field(txtTestingDate, "txtTestingDate", QStringLiteral("Date of &testing:"), session.testingDate,
          QStringLiteral("YYYY-MM-DD"));
    field(txtExaminer, "txtExaminer", QStringLiteral("&Examiner:"), session.examiner, QString());
    field(txtReferral, "txtReferral", QStringLiteral("&Reason for referral:"), session.referral,
          QStringLiteral("one line"));
    layout->addLayout(form);
    auto* note =
        new QLabel(QStringLiteral(
                       "Kept with every case computed and shown on the chart, the PDF and the summary; the report "
                       "itself stays as it is."),
                   this);
    note->setWordWrap(true);
    layout->addWidget(note);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmSession::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TfrmSession::reject);
    layout->addWidget(buttons);
    txtPerson->setFocus();
}

Session TfrmSession::session() const {
    const auto text = [](const QLineEdit* e) { return e->text().trimmed().toStdString(); };
    return Session{text(txtPerson), text(txtBirthDate), text(txtTestingDate), text(txtExaminer), text(txtReferral)};
}

// Dates that may be a slip are asked about; No goes back to the date.
bool TfrmSession::datesConfirmed(const Session& s) {
    const std::vector<std::string> doubts =
        sessionDoubts(s, QDate::currentDate().toString(Qt::ISODate).toStdString(), "today");
    if (doubts.empty()) return true;
    QString question;
    for (const std::string& doubt : doubts) question += QString::fromStdString(doubt) + u'\r';
    if (boxes_.confirm(question + QStringLiteral("\rKeep these dates?"))) return true;
    QLineEdit* date = doubts.front().find("date of testing") != std::string::npos ? txtTestingDate : txtBirthDate;
    date->setFocus();
    date->selectAll();
    return false;
}

void TfrmSession::accept() {
    const Session s = session();
    const std::string problem = sessionProblem(s);
    if (problem.empty()) {
        if (datesConfirmed(s)) QDialog::accept();
        return;
    }
    boxes_.warning(QString::fromStdString(problem));
    const bool testing = !isCalendarDay(s.testingDate);
    QLineEdit* bad =
        testing ? txtTestingDate : (problem.find("referral") != std::string::npos ? txtReferral : txtBirthDate);
    bad->setFocus();
    bad->selectAll();
}

} // namespace kalden
