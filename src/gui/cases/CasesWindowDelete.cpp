#include "gui/cases/CasesWindow.h"

#include <algorithm>

#include <QStringList>

#include "format/CountText.h"
#include "format/VisibleText.h"
#include "report/PersonMatch.h"

// The Cases window's deletions: the selected cases, a person's, all. A
// person's and all go from everywhere the program keeps them.

namespace kalden {

namespace {

QString quoted(const std::string& person) { return u'"' + fromUtf8(visibleText(person)) + u'"'; }

// The question's last part: every place besides the records that the
// deletion clears too.
QString alsoClears(const std::vector<QString>& places) {
    if (places.empty()) return {};
    QString text = QStringLiteral("\r\rThis also clears:");
    for (const QString& place : places) text += QStringLiteral("\r- ") + place;
    return text;
}

} // namespace

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

// Every case of the selected case's person, however the name was typed;
// each recorded person whose name differs a little is asked about. One
// question then names the persons, the count and every other place cleared.
void TfrmCases::cmdDeletePersonClick() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty()) {
        services_.boxes.warning(QStringLiteral("Please select a case first."));
        return;
    }
    const CaseListRow* selected = listedRow(ids.front());
    const std::string person = selected ? selected->session.person : std::string();
    if (personKey(person).empty()) {
        services_.boxes.information(QStringLiteral("No person was entered for the selected case."));
        return;
    }
    const std::string key = personKey(person);
    const CaseBook::PersonLookup found = book_.lookUpPerson(person);
    ErasedPeople erased;
    erased.keys.push_back(key);
    std::int64_t count = std::max<std::int64_t>(found.cases, 1);
    QStringList names{fromUtf8(visibleText(person))};
    for (const RecordedPerson& other : found.nearNames) {
        const QString question =
            QStringLiteral(
                "Is %1 (%2) the same person as %3? The names differ by %4.\r\rYes deletes %1's cases "
                "too; No leaves them.")
                .arg(quoted(other.person), QString::fromStdString(countOf(other.cases, "case", "cases")),
                     quoted(person), QString::fromStdString(distanceText(keyDistance(key, other.key))));
        if (!services_.boxes.confirm(question)) continue;
        erased.keys.push_back(other.key);
        names << fromUtf8(visibleText(other.person));
        count += other.cases;
    }
    for (const std::string& k : erased.keys)
        for (const CaseListRow* row : rowsOfPerson(k)) erased.inputs.push_back(row->fieldTexts);
    const QString who = names.size() == 1 ? names.front()
                                          : names.mid(0, names.size() - 1).join(QStringLiteral(", ")) +
                                                QStringLiteral(" and ") + names.back();
    const QString what = count == 1 ? QStringLiteral("the 1 case") : QStringLiteral("all %1 cases").arg(count);
    if (!services_.boxes.confirmDeletion(
            QStringLiteral("Delete %1 of %2 from the records?\rThey cannot be brought back.").arg(what, who) +
            alsoClears(book_.erasurePlaces(erased))))
        return;
    book_.erasePeople(erased);
    reload();
}

// Asks twice: every case recorded so far goes, and every other place that
// holds a person. The store is not held while the questions are open.
void TfrmCases::cmdDeleteAllClick() {
    const std::optional<std::int64_t> counted = book_.countRecords(FileAction::DeleteCases);
    if (!counted) return;
    const std::int64_t n = *counted;
    if (n == 0) {
        services_.boxes.information(QStringLiteral("There are no recorded cases."));
        return;
    }
    ErasedPeople everyone;
    everyone.everyone = true;
    const QString what = QString::fromStdString(countOf(n, "case", "cases"));
    if (!services_.boxes.confirmDeletion(QStringLiteral("Delete %1 %2 from the records?")
                                             .arg(n == 1 ? QStringLiteral("the") : QStringLiteral("all"), what) +
                                         alsoClears(book_.erasurePlaces(everyone))))
        return;
    if (!services_.boxes.confirmDeletion(
            QStringLiteral("The %1 cannot be brought back once deleted.\r%2")
                .arg(what, n == 1 ? QStringLiteral("Delete it?") : QStringLiteral("Delete them all?"))))
        return;
    book_.erasePeople(everyone);
    reload();
}

} // namespace kalden
