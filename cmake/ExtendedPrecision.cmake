# The distribution library and the profile distance compute with a 64-bit
# significand (stats/Extended.h), and the printed digits depend on it. Where
# long double is that format (x87 extended: GCC and Clang on x86-64,
# mingw-w64) it is used; elsewhere (WebAssembly) Boost.Multiprecision's
# software type of the same format stands in, from Debian's libboost-dev
# (headers only). A target with neither is refused at configure time, with
# the reason. KALDEN_SOFTWARE_EXTENDED=ON takes the software type where long
# double would do, so that the two can be compared on one machine.
include(CheckCXXSourceCompiles)
option(KALDEN_SOFTWARE_EXTENDED "Compute the extended parts with the software 64-bit type even where long double has it"
       OFF)
check_cxx_source_compiles("
#include <limits>
static_assert(std::numeric_limits<long double>::digits == 64 && std::numeric_limits<long double>::radix == 2);
int main() { return 0; }" KALDEN_LONG_DOUBLE_IS_EXTENDED)

# The software type comes with the software shortest text of a double
# (WebAssembly's C++ library cannot write floating-point numbers): Boost.
# Multiprecision's headers and {fmt}'s (Debian's libboost-dev and
# libfmt-dev), staged alone: never the rest of the build machine's include
# folder (a cross-build has its own C library).
find_path(KALDEN_BOOST_FOUND_INCLUDE boost/multiprecision/cpp_bin_float.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
find_path(KALDEN_FMT_FOUND_INCLUDE fmt/format.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
set(KALDEN_SOFTWARE_INCLUDE ${CMAKE_BINARY_DIR}/software-headers)
file(MAKE_DIRECTORY ${KALDEN_SOFTWARE_INCLUDE})
foreach(library boost fmt)
  string(TOUPPER ${library} name)
  if(KALDEN_${name}_FOUND_INCLUDE AND NOT EXISTS ${KALDEN_SOFTWARE_INCLUDE}/${library})
    file(CREATE_LINK ${KALDEN_${name}_FOUND_INCLUDE}/${library} ${KALDEN_SOFTWARE_INCLUDE}/${library} SYMBOLIC)
  endif()
endforeach()
if(KALDEN_BOOST_FOUND_INCLUDE AND KALDEN_FMT_FOUND_INCLUDE)
  set(KALDEN_SOFTWARE_HEADERS_FOUND TRUE)
endif()

if(KALDEN_LONG_DOUBLE_IS_EXTENDED AND NOT KALDEN_SOFTWARE_EXTENDED)
  set(KALDEN_EXTENDED_TYPE "long double (x87 extended, 64-bit significand)")
  set(KALDEN_SOFTWARE_EXTENDED_VALUE 0)
else()
  if(NOT KALDEN_SOFTWARE_HEADERS_FOUND)
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION} for ${CMAKE_SYSTEM_PROCESSOR} has no long "
                        "double with a 64-bit significand (x87 extended precision), and Boost.Multiprecision "
                        "(boost/multiprecision/cpp_bin_float.hpp, Debian's libboost-dev) and {fmt} (fmt/format.h, "
                        "Debian's libfmt-dev) are not both there to stand in for it; without them the reports "
                        "would print other digits. Install libboost-dev and libfmt-dev, or build with GCC or Clang "
                        "on x86-64 (on Windows: mingw-w64).")
  endif()
  set(KALDEN_EXTENDED_TYPE "Boost.Multiprecision cpp_bin_float_double_extended (software, 64-bit significand)")
  set(KALDEN_SOFTWARE_EXTENDED_VALUE 1)
endif()
message(STATUS "Extended precision: ${KALDEN_EXTENDED_TYPE}")

# A second core library with the software type beside the native one, so
# that the tests can show that both print the same reports.
option(KALDEN_EXTENDED_PARITY "Also build the core with the software extended type and compare the two" OFF)
if(KALDEN_EXTENDED_PARITY AND (KALDEN_SOFTWARE_EXTENDED_VALUE OR NOT KALDEN_SOFTWARE_HEADERS_FOUND))
  message(FATAL_ERROR "KALDEN_EXTENDED_PARITY compares long double with the software type: it needs a compiler whose "
                      "long double is x87 extended, KALDEN_SOFTWARE_EXTENDED off, libboost-dev and libfmt-dev")
endif()
