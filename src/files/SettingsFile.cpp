#include "files/SettingsFile.h"

#include <algorithm>

#include "files/PreviousDataFile.h"
#include "files/TextFile.h"
#include "files/TextLines.h"

namespace kalden {

SettingsFile SettingsFile::load(const std::string& path) {
    std::string content;
    std::string error;
    if (!readWholeFile(path, content, error)) return {};
    return fromContent(content);
}

SettingsFile SettingsFile::fromContent(std::string_view content) {
    SettingsFile file;
    for (const std::string_view line : splitLines(content)) {
        const std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) file.set(line.substr(0, equals), line.substr(equals + 1));
    }
    return file;
}

std::string SettingsFile::value(std::string_view key) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(), [key](const auto& e) { return e.first == key; });
    return found == entries_.end() ? std::string() : found->second;
}

void SettingsFile::set(std::string_view key, std::string_view value) {
    std::string line(value);
    std::replace(line.begin(), line.end(), '\r', ' ');
    std::replace(line.begin(), line.end(), '\n', ' ');
    const auto found = std::find_if(entries_.begin(), entries_.end(), [key](const auto& e) { return e.first == key; });
    if (found != entries_.end())
        found->second = std::move(line);
    else
        entries_.emplace_back(std::string(key), std::move(line));
}

std::string SettingsFile::content() const {
    std::string out;
    for (const auto& [key, value] : entries_) out += key + "=" + value + "\n";
    return out;
}

bool SettingsFile::save(const std::string& path, std::string& error) const {
    return savePreviousDataFile(path, content(), error);
}

} // namespace kalden
