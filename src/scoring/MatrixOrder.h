#pragma once

namespace kalden {

// The largest order of a correlation matrix anywhere in the program: the
// profile distance's working arrays, the worksheet's matrix store and the
// previous-data file's matrix block are all this size.
inline constexpr int MAX_ORDER = 20;

} // namespace kalden
