#include "files/PersonTraces.h"

#include <algorithm>

#include "files/PreviousDataFile.h"
#include "files/SessionFile.h"
#include "files/TextFile.h"
#include "report/PersonMatch.h"

namespace kalden {

bool ErasedPeople::names(const std::string& person) const {
    if (person.empty()) return false;
    const std::string key = personKey(person);
    return everyone || std::find(keys.begin(), keys.end(), key) != keys.end() ||
           std::find(formerKeys.begin(), formerKeys.end(), key) != formerKeys.end();
}

bool ErasedPeople::namedIn(const std::string& text) const {
    if (everyone) return true;
    const std::string key = personKey(text);
    const auto inText = [&key](const std::string& k) { return !k.empty() && key.find(k) != std::string::npos; };
    return std::any_of(keys.begin(), keys.end(), inText) || std::any_of(formerKeys.begin(), formerKeys.end(), inText);
}

bool ErasedPeople::typed(const std::array<std::string, 7>& fields) const {
    const auto blank = [](const std::string& f) { return withoutBlanks(f).empty(); };
    if (everyone) return !std::all_of(fields.begin(), fields.end(), blank);
    return std::any_of(inputs.begin(), inputs.end(), [&fields](const std::array<std::string, 7>& erased) {
        for (std::size_t k = 0; k < fields.size(); ++k)
            if (withoutBlanks(fields[k]) != withoutBlanks(erased[k])) return false;
        return true;
    });
}

std::string tracePlaceText(TracePlace place, const DataFileNames& names) {
    switch (place) {
    case TracePlace::Session: return "the person and session remembered for the next start (" + names.session + ")";
    case TracePlace::LastInputs: return "the last scores remembered for the next start (" + names.lastInputs + ")";
    case TracePlace::ChangeSettings: break;
    }
    return "the retest study's name remembered for comparisons (" + names.changeSettings + ")";
}

namespace {

bool sessionHolds(const Session& s, const ErasedPeople& erased) {
    if (erased.everyone) return !s.person.empty() || !s.birthDate.empty() || !s.referral.empty();
    return erased.names(s.person);
}

// The seven score fields the last-inputs file holds, as the start reads them.
std::array<std::string, 7> lastScores(const std::string& content) {
    std::array<std::string, 7> fields;
    std::size_t k = 0;
    std::size_t i = 0;
    while (k < fields.size()) {
        i = content.find_first_not_of(" \t\r\n", i);
        if (i == std::string::npos) break;
        const std::size_t end = std::min(content.find_first_of(" \t\r\n", i), content.size());
        fields[k++] = content.substr(i, end - i);
        i = end;
    }
    return fields;
}

} // namespace

std::vector<TracePlace> findPersonTraces(const std::string& folder, const DataFileNames& names,
                                         const ErasedPeople& erased) {
    std::vector<TracePlace> places;
    const bool session = sessionHolds(loadSession(dataFilePath(folder, names.session)), erased);
    if (session) places.push_back(TracePlace::Session);
    std::string content;
    std::string error;
    if (readWholeFile(dataFilePath(folder, names.lastInputs), content, error) &&
        (session || erased.everyone || erased.typed(lastScores(content))))
        places.push_back(TracePlace::LastInputs);
    const std::string study = loadChangeSettings(dataFilePath(folder, names.changeSettings)).practice.source;
    if (!study.empty() && (erased.everyone ? false : erased.namedIn(study)))
        places.push_back(TracePlace::ChangeSettings);
    return places;
}

bool clearPersonTraces(const std::string& folder, const DataFileNames& names, const std::vector<TracePlace>& places,
                       std::string& path, std::string& error) {
    for (const TracePlace place : places) {
        if (place == TracePlace::Session) {
            path = dataFilePath(folder, names.session);
            Session kept;
            kept.examiner = loadSession(path).examiner;
            if (!saveSession(path, kept, error)) return false;
        } else if (place == TracePlace::LastInputs) {
            path = dataFilePath(folder, names.lastInputs);
            if (!deletePreviousDataFile(path, error)) return false;
        } else {
            path = dataFilePath(folder, names.changeSettings);
            ChangeSettings settings = loadChangeSettings(path);
            settings.practice.source.clear();
            if (!saveChangeSettings(path, settings, error)) return false;
        }
    }
    return true;
}

} // namespace kalden
