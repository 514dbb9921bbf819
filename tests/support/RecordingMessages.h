#pragma once

#include <string>
#include <vector>

#include "scoring/MessageService.h"

namespace kalden::testing {

// Records every warning and beep, in order, as "beep" or "warn:<text>".
class RecordingMessages : public MessageService {
public:
    std::vector<std::string> events;
    std::vector<std::string> warnings;
    int beeps = 0;

    void warn(const std::string& text) override {
        events.push_back("warn:" + text);
        warnings.push_back(text);
    }
    void beep() override {
        events.push_back("beep");
        ++beeps;
    }
    void clear() {
        events.clear();
        warnings.clear();
        beeps = 0;
    }
};

} // namespace kalden::testing
