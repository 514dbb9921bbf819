#include "files/SessionFile.h"

#include <utility>

#include "files/PreviousDataFile.h"
#include "files/TextFile.h"
#include "files/TextLines.h"

namespace kalden {

namespace {

const std::pair<const char*, std::string Session::*> Keys[] = {
    {"person", &Session::person},
    {"birth_date", &Session::birthDate},
    {"examiner", &Session::examiner},
    {"referral", &Session::referral},
};

// A value is one line: a line break typed into it (or pasted) is a blank.
std::string oneLine(std::string value) {
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    return value;
}

} // namespace

std::string sessionFileContent(const Session& s) {
    std::string content;
    for (const auto& [key, member] : Keys) content += std::string(key) + "=" + oneLine(s.*member) + "\n";
    return content;
}

Session sessionFromContent(const std::string& content) {
    Session s;
    for (const std::string_view line : splitLines(content)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        for (const auto& [key, member] : Keys)
            if (line.substr(0, equals) == key) s.*member = std::string(line.substr(equals + 1));
    }
    return s;
}

Session loadSession(const std::string& path) {
    std::string content;
    std::string error;
    if (!readWholeFile(path, content, error)) return {};
    return sessionFromContent(content);
}

bool saveSession(const std::string& path, const Session& s, std::string& error) {
    return savePreviousDataFile(path, sessionFileContent(s), error);
}

bool forgetSession(const std::string& path, std::string& error) { return deletePreviousDataFile(path, error); }

} // namespace kalden
