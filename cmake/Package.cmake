# The Debian package (scripts/package.sh): CPack's DEB generator, with the
# library dependencies worked out by dpkg-shlibdeps from the executables.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalden)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The KALDEN developers")
set(CPACK_PACKAGE_CONTACT "KALDEN developers <kalden@kalden.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Short-form Index scores of an adult intelligence scale")
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Scores an Index-based seven-subtest short form for one person at a time:\n"
    "Index scores with confidence limits and percentile ranks, the reliability\n"
    "and abnormality of the Index differences, abnormally low scores and the\n"
    "profile's Mahalanobis distance, as a plain-text report that is shown, saved\n"
    "and printed. Contains the desktop program kalden and the command-line\n"
    "program kalden-report.")
# The libraries come from dpkg-shlibdeps; Qt's platform plugins are loaded at
# run time, so no library names them, and the windows cannot open without them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
include(CPack)
