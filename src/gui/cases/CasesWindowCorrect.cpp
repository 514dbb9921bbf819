#include "gui/cases/CasesWindow.h"

#include <algorithm>

#include "format/CountText.h"
#include "format/VisibleText.h"
#include "gui/session/SessionDialog.h"
#include "report/PersonMatch.h"

// The Cases window's correction of a recorded person and session.

namespace kalden {

// The dialog shows the first selected case's person and session; the fields
// changed there are set on every selected case and, on Yes, on the person's
// other cases. Each change is kept with its case; the reports stay as they
// were computed.
void TfrmCases::cmdCorrectClick() {
    const std::vector<std::int64_t> ids = selectedIds();
    const CaseListRow* selected = ids.empty() ? nullptr : listedRow(ids.front());
    if (!selected) {
        services_.boxes.warning(QStringLiteral("Please select a case first."));
        return;
    }
    TfrmSession dialog(selected->session, services_.boxes, this);
    dialog.setWindowTitle(QStringLiteral("Correct Person and Session"));
    if (dialog.exec() != QDialog::Accepted) return;
    const std::vector<SessionChange> changes = sessionChanges(selected->session, dialog.session());
    if (changes.empty()) return;
    std::vector<std::int64_t> targets = ids;
    std::vector<std::int64_t> others;
    for (const CaseListRow* row : rowsOfPerson(personKey(selected->session.person)))
        if (std::find(ids.begin(), ids.end(), row->id) == ids.end()) others.push_back(row->id);
    if (!others.empty()) {
        const QString more =
            QString::fromStdString(countOf(static_cast<std::int64_t>(others.size()), "more case", "more cases"));
        if (services_.boxes.confirm(QStringLiteral("\"%1\" has %2 in the records. Correct them the same way?")
                                        .arg(fromUtf8(visibleText(selected->session.person)), more)))
            targets.insert(targets.end(), others.begin(), others.end());
    }
    book_.correctRecords(targets, changes);
    reload();
}

} // namespace kalden
