#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kalden {

// A small per-user settings file: one "key=value" line each, kept in the
// user's private data folder (mode 0600) and written through the file
// service as the last-case file is, replaced whole. The person and session
// (session.txt) and the comparison's level and practice gains (compare.txt)
// are such files. A value is one line: a line break in it is kept as a
// blank. Reading passes over lines without '=' and keeps the first '=' as
// the separator, so a value may hold '='.
class SettingsFile {
public:
    // The file's settings; none when it is missing or cannot be read.
    static SettingsFile load(const std::string& path);
    static SettingsFile fromContent(std::string_view content);

    // The value of `key`, empty when it is not set (the last line wins).
    std::string value(std::string_view key) const;
    // Sets `key` (keys keep the order they were first set in).
    void set(std::string_view key, std::string_view value);

    std::string content() const;
    bool save(const std::string& path, std::string& error) const;

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

} // namespace kalden
