#pragma once

#include <string>
#include <vector>

namespace kalden {

// What a numerical routine has to say while it works: that it gave up
// before meeting its tolerance (the normal integration's "Too many steps").
// The routine goes on with the value it has and adds the warning here, in
// the order raised; whoever asked for the numbers decides how to show it.
using Warnings = std::vector<std::string>;

} // namespace kalden
