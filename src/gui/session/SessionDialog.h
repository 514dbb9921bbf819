#pragma once

#include <QDialog>

#include "report/Session.h"

class QLineEdit;

namespace kalden {

class MessageBoxes;

// "Person and Session": who is tested, the date of birth (optional), the date
// of testing, the examiner and the reason for referral. OK accepts only a
// session whose dates are days of the calendar (a warning box says what is
// wrong, and the focus goes to that field); Cancel leaves the session as it
// was.
class TfrmSession : public QDialog {
    Q_OBJECT

public:
    TfrmSession(const Session& session, MessageBoxes& boxes, QWidget* parent = nullptr);
    Session session() const;

    QLineEdit* txtPerson = nullptr;
    QLineEdit* txtBirthDate = nullptr;
    QLineEdit* txtTestingDate = nullptr;
    QLineEdit* txtExaminer = nullptr;
    QLineEdit* txtReferral = nullptr;

public slots:
    void accept() override;

private:
    bool datesConfirmed(const Session& s);
    MessageBoxes& boxes_;
};

} // namespace kalden
