#include "files/CaseExport.h"

#include "files/DataHome.h"
#include "files/PreviousDataFile.h"
#include "format/CsvText.h"
#include "worksheet/OptionNames.h"

namespace kalden {

std::string caseStorePath(const std::string& dataHome, const std::string& fileName) {
    return dataFilePath(userDataFolder(dataHome), fileName);
}

std::string defaultCaseStorePath() { return caseStorePath(userDataHome()); }

std::string casesBatchCsv(const std::vector<StoredCase>& cases) {
    std::string csv =
        "id,vocabulary,digit_symbol,similarities,block_design,arithmetic,digit_span,matrix_reasoning,"
        "ci,basis,bonferroni,criterion,notes,person,birth_date,testing_date,examiner,referral\n";
    for (const StoredCase& c : cases) {
        const CaseRecord& r = c.record;
        csv += std::to_string(c.id);
        for (const std::string& field : r.fieldTexts) csv += ',' + csvCell(field);
        csv += std::string(",") + confidenceName(r.input.confidenceMethod) + ',' + basisName(r.input.differenceBasis) +
               ',' + bonferroniName(r.input.sequentialBonferroni) + ',' + criterionName(r.input.abnormalityCriterion) +
               ',';
        std::string notes;
        for (std::size_t i = 0; i < r.context.notes.size(); ++i) notes += (i > 0 ? "\n" : "") + r.context.notes[i];
        csv += csvCell(notes);
        const Session& p = r.session;
        for (const std::string* t : {&p.person, &p.birthDate, &p.testingDate, &p.examiner, &p.referral})
            csv += ',' + csvCell(*t);
        csv += '\n';
    }
    return csv;
}

} // namespace kalden
