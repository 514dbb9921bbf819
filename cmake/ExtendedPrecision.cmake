# The distribution library and the profile distance compute in extended
# precision, and the printed digits depend on it. Stop at configure time,
# with a plain reason, on a compiler whose long double is narrower.
include(CheckCXXSourceCompiles)
check_cxx_source_compiles("
#include <limits>
static_assert(std::numeric_limits<long double>::digits >= 64);
int main() { return 0; }" KALDEN_LONG_DOUBLE_IS_EXTENDED)
if(NOT KALDEN_LONG_DOUBLE_IS_EXTENDED)
  message(FATAL_ERROR "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION} has no long double with a 64-bit "
                      "significand (x87 extended precision), so the reports would print other digits. "
                      "Build with GCC or Clang on x86-64; on Windows with mingw-w64.")
endif()
