#pragma once

#include <string>

namespace kalden {

// Where a numerical routine reports that it gave up before meeting its
// tolerance (the normal integration's "Too many steps"). The routine goes on
// with the value it has; the warning is for the user to see.
class WarningSink {
public:
    virtual ~WarningSink() = default;
    virtual void warn(const std::string& text) = 0;
};

} // namespace kalden
