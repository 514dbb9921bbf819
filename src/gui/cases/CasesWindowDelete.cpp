#include "gui/cases/CasesWindow.h"

#include <algorithm>

#include <QStringList>

#include "format/VisibleText.h"

// The Cases window's deletions: the selected cases, a person's, all.

namespace kalden {

// Names the cases it will delete (up to ten, then how many more) and keeps
// them unless Yes is chosen over the default No.
void TfrmCases::cmdDeleteClick() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty()) {
        services_.boxes.warning(QStringLiteral("Please select a case first."));
        return;
    }
    QStringList lines;
    for (int r = 0; r < model_->rowCount(); ++r) {
        const CaseListRow& row = model_->row(r);
        if (std::find(ids.begin(), ids.end(), row.id) != ids.end()) lines << caseLine(row);
    }
    if (lines.size() > 10) {
        const qsizetype more = lines.size() - 10;
        lines = lines.mid(0, 10);
        lines << QStringLiteral("and %1 more").arg(more);
    }
    const QString what =
        ids.size() == 1 ? QStringLiteral("this case") : QStringLiteral("these %1 cases").arg(ids.size());
    if (!services_.boxes.confirmDeletion(QStringLiteral("Delete %1 from the records?\r\r").arg(what) +
                                         lines.join(u'\r')))
        return;
    book_.deleteRecords(ids);
    reload();
}

// Every case of the selected case's person, after one question that names
// the person and how many cases go.
void TfrmCases::cmdDeletePersonClick() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty()) {
        services_.boxes.warning(QStringLiteral("Please select a case first."));
        return;
    }
    const CaseListRow* selected = listedRow(ids.front());
    const std::string person = selected ? selected->session.person : std::string();
    if (person.empty()) {
        services_.boxes.information(QStringLiteral("No person was entered for the selected case."));
        return;
    }
    int count = 0;
    for (int r = 0; r < model_->rowCount(); ++r) count += model_->row(r).session.person == person ? 1 : 0;
    const QString what = count == 1 ? QStringLiteral("the 1 case") : QStringLiteral("all %1 cases").arg(count);
    if (!services_.boxes.confirmDeletion(
            QStringLiteral("Delete %1 of %2 from the records?\rThey cannot be brought back.")
                .arg(what, fromUtf8(visibleText(person)))))
        return;
    book_.deletePersonRecords(person);
    reload();
}

// Asks twice: every case recorded so far goes. The store is not held while
// the questions are open.
void TfrmCases::cmdDeleteAllClick() {
    const std::optional<std::int64_t> counted = book_.countRecords(FileAction::DeleteCases);
    if (!counted) return;
    const std::int64_t n = *counted;
    if (n == 0) {
        services_.boxes.information(QStringLiteral("There are no recorded cases."));
        return;
    }
    const QString what = n == 1 ? QStringLiteral("1 case") : QStringLiteral("%1 cases").arg(n);
    if (!services_.boxes.confirmDeletion(QStringLiteral("Delete all %1 from the records?").arg(what))) return;
    if (!services_.boxes.confirmDeletion(
            QStringLiteral("The %1 cannot be brought back once deleted.\rDelete them all?").arg(what)))
        return;
    book_.deleteAllRecords();
    reload();
}

} // namespace kalden
