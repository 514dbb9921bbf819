#pragma once

#include <array>

#include "scoring/MatrixOrder.h"

namespace kalden {

// The worksheet's matrix store, as the report echoes it and the
// previous-data file keeps it: element (i, j), i and j from 1, at
// (i - 1) * MAX_ORDER + (j - 1).
using StoredMatrixValues = std::array<double, MAX_ORDER * MAX_ORDER>;

} // namespace kalden
