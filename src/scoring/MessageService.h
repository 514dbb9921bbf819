#pragma once

#include <string>

#include "stats/WarningSink.h"

namespace kalden {

// The two effects the input rules and the numerical routines have on the
// outside world: a modal warning box and the system beep. The windows
// implement it with message boxes, the command line with stderr, and the
// tests with a recorder.
class MessageService : public WarningSink {
public:
    // Shows `text` in a modal warning box (caption "Warning", one OK button).
    // A carriage return (code 13) in the text is a line break.
    void warn(const std::string& text) override = 0;
    virtual void beep() = 0;
};

// Carriage return, the line break inside message texts.
inline constexpr char CR = '\r';

} // namespace kalden
