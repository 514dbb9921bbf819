#include "files/SessionFile.h"

#include <utility>

#include "files/SettingsFile.h"

namespace kalden {

namespace {

const std::pair<const char*, std::string Session::*> Keys[] = {
    {"person", &Session::person},
    {"birth_date", &Session::birthDate},
    {"examiner", &Session::examiner},
    {"referral", &Session::referral},
};

SettingsFile sessionSettings(const Session& s) {
    SettingsFile file;
    for (const auto& [key, member] : Keys) file.set(key, s.*member);
    return file;
}

Session sessionOf(const SettingsFile& file) {
    Session s;
    for (const auto& [key, member] : Keys) s.*member = file.value(key);
    return s;
}

} // namespace

std::string sessionFileContent(const Session& s) { return sessionSettings(s).content(); }

Session sessionFromContent(const std::string& content) { return sessionOf(SettingsFile::fromContent(content)); }

Session loadSession(const std::string& path) { return sessionOf(SettingsFile::load(path)); }

bool saveSession(const std::string& path, const Session& s, std::string& error) {
    return sessionSettings(s).save(path, error);
}

} // namespace kalden
