#include "files/ChangeSettingsFile.h"

#include "files/SettingsFile.h"
#include "format/ShortestText.h"

namespace kalden {

namespace {

const char* const GainKeys[IndexCount] = {"practice_vc", "practice_po", "practice_wm", "practice_ps", "practice_fsiq"};

SettingsFile changeSettingsFile(const ChangeSettings& s) {
    SettingsFile file;
    file.set("level", s.level == ChangeLevel::Percent90 ? "90" : "95");
    for (std::size_t i = 0; i < IndexCount; ++i) {
        std::string gain;
        appendShortest(gain, s.practice.points[i]);
        file.set(GainKeys[i], gain);
    }
    file.set("practice_source", s.practice.source);
    return file;
}

ChangeSettings changeSettingsOf(const SettingsFile& file) {
    ChangeSettings s;
    if (file.value("level") == "90") s.level = ChangeLevel::Percent90;
    s.practice.source = file.value("practice_source");
    for (std::size_t i = 0; i < IndexCount; ++i)
        s.practice.points[i] = practiceGainOf(file.value(GainKeys[i])).value_or(0.0);
    return s;
}

} // namespace

std::string changeSettingsContent(const ChangeSettings& s) { return changeSettingsFile(s).content(); }

ChangeSettings changeSettingsFromContent(const std::string& content) {
    return changeSettingsOf(SettingsFile::fromContent(content));
}

ChangeSettings loadChangeSettings(const std::string& path) { return changeSettingsOf(SettingsFile::load(path)); }

bool saveChangeSettings(const std::string& path, const ChangeSettings& s, std::string& error) {
    return changeSettingsFile(s).save(path, error);
}

} // namespace kalden
