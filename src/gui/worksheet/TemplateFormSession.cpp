#include "gui/worksheet/TemplateForm.h"

#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "files/FileErrors.h"
#include "files/SessionFile.h"
#include "gui/platform/WindowHelpers.h"
#include "gui/session/SessionDialog.h"

// The person and session beside the worksheet: who is tested, when, by whom
// and why, shown under the score fields, edited in the "Person and Session"
// dialog, kept with every case and remembered for the next start.

namespace kalden {

namespace {

std::string today() { return QDate::currentDate().toString(Qt::ISODate).toStdString(); }

} // namespace

std::string TfrmTemplate::sessionFilePath() const {
    return kalden::dataFilePath(dataLocation().userFolder, config.sessionFileName);
}

// The person, date of birth, examiner and referral of the last start come
// back; the date of testing is today's.
void TfrmTemplate::loadSession() {
    Session remembered = kalden::loadSession(sessionFilePath());
    remembered.testingDate = today();
    std::string dropped;
    session_ = checkedRememberedSession(remembered, dropped);
    sessionNote_ = QString::fromStdString(dropped);
    showSession();
}

void TfrmTemplate::setSession(const Session& session) {
    session_ = session;
    sessionNote_.clear();
    if (session_.testingDate.empty()) session_.testingDate = today();
    showSession();
    std::string error;
    if (!saveSession(sessionFilePath(), session_, error))
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::SaveSession, sessionFilePath(), error)));
}

bool TfrmTemplate::holdsPerson(const ErasedPeople& erased) const {
    std::array<std::string, 7> typed;
    for (std::size_t k = 0; k < typed.size(); ++k) typed[k] = field(static_cast<int>(k) + 1)->text().toStdString();
    if (erased.names(session_.person) || erased.typed(typed)) return true;
    return erased.everyone &&
           (!session_.birthDate.empty() || !session_.referral.empty() || !memoComments->toPlainText().isEmpty());
}

void TfrmTemplate::showSession() {
    const QString line = QString::fromStdString(sessionLine(session_));
    const QString shown = session_.person.empty() ? QStringLiteral("No person entered; ") + line : line;
    const QString text = sessionNote_.isEmpty() ? shown : shown + u'\n' + sessionNote_;
    lblSession->setText(text);
    lblSession->setToolTip(text); // whole, should the space under the fields not hold it all
}

void TfrmTemplate::cmdSessionClick() {
    TfrmSession dialog(session_, services_.boxes, this);
    if (dialog.exec() == QDialog::Accepted) setSession(dialog.session());
}

// A new case: the person, the date of birth and the referral go; the
// examiner stays, and the date of testing is today's.
void TfrmTemplate::clearSession() {
    Session next;
    next.examiner = session_.examiner;
    setSession(next);
}

} // namespace kalden
