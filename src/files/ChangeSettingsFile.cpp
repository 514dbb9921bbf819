#include "files/ChangeSettingsFile.h"

#include "files/PreviousDataFile.h"
#include "files/TextFile.h"
#include "files/TextLines.h"
#include "format/ShortestText.h"

namespace kalden {

namespace {

const char* const GainKeys[IndexCount] = {"practice_vc", "practice_po", "practice_wm", "practice_ps", "practice_fsiq"};

} // namespace

std::string changeSettingsContent(const ChangeSettings& s) {
    std::string content = std::string("level=") + (s.level == ChangeLevel::Percent90 ? "90" : "95") + "\n";
    for (std::size_t i = 0; i < IndexCount; ++i) {
        content += std::string(GainKeys[i]) + "=";
        appendShortest(content, s.practice.points[i]);
        content += "\n";
    }
    std::string source = s.practice.source;
    for (char& c : source)
        if (c == '\r' || c == '\n') c = ' '; // one line
    return content + "practice_source=" + source + "\n";
}

ChangeSettings changeSettingsFromContent(const std::string& content) {
    ChangeSettings s;
    for (const std::string_view line : splitLines(content)) {
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (key == "level" && (value == "95" || value == "90"))
            s.level = value == "90" ? ChangeLevel::Percent90 : ChangeLevel::Percent95;
        if (key == "practice_source") s.practice.source = std::string(value);
        for (std::size_t i = 0; i < IndexCount; ++i)
            if (key == GainKeys[i]) s.practice.points[i] = practiceGainOf(value).value_or(0.0);
    }
    return s;
}

ChangeSettings loadChangeSettings(const std::string& path) {
    std::string content;
    std::string error;
    if (!readWholeFile(path, content, error)) return {};
    return changeSettingsFromContent(content);
}

bool saveChangeSettings(const std::string& path, const ChangeSettings& s, std::string& error) {
    return savePreviousDataFile(path, changeSettingsContent(s), error);
}

} // namespace kalden
