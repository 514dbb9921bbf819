#include "gui/cases/CasesWindow.h"

#include <functional>

#include "files/ChangeSettingsFile.h"
#include "files/PreviousDataFile.h"
#include "format/VisibleText.h"
#include "gui/cases/CompareDialog.h"
#include "gui/platform/WindowHelpers.h"
#include "report/PersonMatch.h"

// The Cases window's comparison of two assessments of one person.

namespace kalden {

void TfrmCases::cmdCompareClick() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.size() == 1) {
        cmdCompareEarlierClick();
        return;
    }
    if (ids.size() != 2) {
        services_.boxes.warning(
            QStringLiteral("Please select two cases of one person to compare (or one, to compare "
                           "it with that person's earlier case)."));
        return;
    }
    compare(ids[0], ids[1]);
}

void TfrmCases::cmdCompareEarlierClick() {
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.size() != 1) {
        services_.boxes.warning(
            QStringLiteral("Please select the one case to compare with its person's earlier case."));
        return;
    }
    bool samePerson = false;
    const std::int64_t earlier = earlierCaseOf(ids.front(), samePerson);
    if (earlier != 0) compare(earlier, ids.front(), samePerson);
}

std::int64_t TfrmCases::earlierCaseOf(std::int64_t id, bool& samePerson) {
    const auto compared = [](const CaseListRow& r) {
        ComparedCase c{r.id, {}};
        c.record.session = r.session;
        c.record.computedUtc = r.computedUtc;
        return c;
    };
    const CaseListRow* selected = listedRow(id);
    const std::string key = selected ? personKey(selected->session.person) : std::string();
    if (key.empty()) {
        services_.boxes.information(QStringLiteral("No person was entered for the selected case."));
        return 0;
    }
    const ComparedCase later = compared(*selected);
    // The latest case assessed before it among those whose person `of` says.
    const auto latestEarlier = [&](const std::function<bool(const std::string&)>& of) {
        std::optional<ComparedCase> earlier;
        for (int r = 0; r < model_->rowCount(); ++r) {
            const CaseListRow& row = model_->row(r);
            if (!of(personKey(row.session.person)) || row.id == id) continue;
            const ComparedCase c = compared(row);
            if (assessedBefore(c, later) && (!earlier || assessedBefore(*earlier, c))) earlier = c;
        }
        return earlier;
    };
    std::optional<ComparedCase> earlier = latestEarlier([&key](const std::string& k) { return k == key; });
    if (!earlier) {
        earlier = latestEarlier([&key](const std::string& k) { return nearPerson(key, k); });
        if (earlier) {
            const std::string& other = earlier->record.session.person;
            samePerson = services_.boxes.confirm(
                QStringLiteral("There is no earlier case of %1 in the records, but there is one of \"%2\" (No. %3), "
                               "whose name differs by %4.\r\rIs it the same person?")
                    .arg(fromUtf8(visibleText(selected->session.person)), fromUtf8(visibleText(other)))
                    .arg(earlier->id)
                    .arg(QString::fromStdString(distanceText(keyDistance(key, personKey(other))))));
            if (samePerson) return earlier->id;
            return 0;
        }
    }
    if (!earlier) {
        services_.boxes.information(QStringLiteral("There is no earlier case of %1 in the records.")
                                        .arg(fromUtf8(visibleText(selected->session.person))));
        return 0;
    }
    return earlier->id;
}

void TfrmCases::compare(std::int64_t a, std::int64_t b, bool samePerson) {
    const std::optional<std::vector<StoredCase>> found = book_.readRecords({a, b});
    if (!found) return;
    if (found->size() < 2) { // deleted by another window meanwhile
        const std::int64_t gone = found->empty() || found->front().id != a ? a : b;
        services_.boxes.information(QStringLiteral("Case %1 is no longer in the records.").arg(gone));
        reload();
        return;
    }
    const ComparedCase first{(*found)[0].id, (*found)[0].record};
    const ComparedCase second{(*found)[1].id, (*found)[1].record};
    const std::string& p1 = first.record.session.person;
    const std::string& p2 = second.record.session.person;
    if (!samePerson && nearPerson(personKey(p1), personKey(p2))) {
        samePerson = services_.boxes.confirm(
            QStringLiteral("Case %1 is of \"%2\" and case %3 of \"%4\", whose names differ by %5.\r\rAre they the "
                           "same person?")
                .arg(first.id)
                .arg(fromUtf8(visibleText(p1)))
                .arg(second.id)
                .arg(fromUtf8(visibleText(p2)),
                     QString::fromStdString(distanceText(keyDistance(personKey(p1), personKey(p2))))));
        if (!samePerson) return;
    }
    if (const std::string refusal = comparisonRefusal(first, second, samePerson); !refusal.empty()) {
        services_.boxes.warning(fromUtf8(visibleText(refusal)));
        return;
    }
    const bool inOrder = assessedBefore(first, second);
    const auto line = [this](const ComparedCase& c) {
        const CaseListRow* row = listedRow(c.id);
        return row ? caseLine(*row) : QStringLiteral("No. %1").arg(c.id);
    };
    const std::string settingsPath = dataFilePath(book_.dataFolder(), ChangeSettingsFileName);
    TfrmCompare dialog(loadChangeSettings(settingsPath), line(inOrder ? first : second), line(inOrder ? second : first),
                       services_.boxes, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const ChangeSettings settings = dialog.settings();
    std::string error;
    if (!saveChangeSettings(settingsPath, settings, error))
        services_.boxes.error(systemReason(fileErrorMessage(FileAction::SaveChangeSettings, settingsPath, error)));
    book_.addComparison(compareCases(first, second, settings));
}

} // namespace kalden
