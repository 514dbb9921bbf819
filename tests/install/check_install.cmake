# Installs the build into PREFIX as a user would (cmake --install), then
# checks what a desktop needs of it: every file in its place, the desktop
# entry and the metainfo valid, the manual pages free of warnings, the
# version in the pages and the metainfo the build's own, and kalden and
# kalden-report answering --version (and kalden refusing a mistyped option).
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                OUTPUT_QUIET RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc})")
endif()

set(expected
  bin/kalden bin/kalden-report
  share/applications/${APP_ID}.desktop
  share/metainfo/${APP_ID}.metainfo.xml
  share/icons/hicolor/scalable/apps/${APP_ID}.svg
  share/icons/hicolor/48x48/apps/${APP_ID}.png
  share/icons/hicolor/128x128/apps/${APP_ID}.png
  share/icons/hicolor/256x256/apps/${APP_ID}.png
  share/man/man1/kalden.1.gz share/man/man1/kalden-report.1.gz
  share/doc/kalden/copyright share/doc/kalden/changelog.gz)
foreach(f IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

function(check what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}${err}")
  endif()
  set(output "${out}" PARENT_SCOPE)
endfunction()

check("desktop-file-validate" desktop-file-validate "${PREFIX}/share/applications/${APP_ID}.desktop")
if(NOT output STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate:\n${output}")
endif()
check("appstreamcli validate" appstreamcli validate --no-net "${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml")
foreach(page kalden.1 kalden-report.1)
  check("man ${page}" sh -c "gzip -dc '${PREFIX}/share/man/man1/${page}.gz' | groff -man -Tutf8 -ww -z")
  check("version in ${page}" sh -c "gzip -dc '${PREFIX}/share/man/man1/${page}.gz' | head -1")
  if(NOT output MATCHES "\"kalden ${VERSION}\"")
    message(FATAL_ERROR "${page} does not carry version ${VERSION}: ${output}")
  endif()
endforeach()
file(READ "${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml" metainfo)
if(NOT metainfo MATCHES "<release version=\"${VERSION}\"")
  message(FATAL_ERROR "the metainfo's release entry does not carry version ${VERSION}")
endif()
check("kalden --version" "${PREFIX}/bin/kalden" --version)
if(NOT output STREQUAL "kalden ${VERSION}\n")
  message(FATAL_ERROR "kalden --version printed '${output}'")
endif()

# A mistyped option ends with the usage on standard error and status 64, and
# no window: without a display any window would fail, as QT_QPA_PLATFORM
# names none here.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
                        "${PREFIX}/bin/kalden" --versio
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 64 OR NOT out STREQUAL "" OR NOT err MATCHES "^kalden: unknown option or argument '--versio'\n\nusage: kalden \\[--help \\| --version\\]")
  message(FATAL_ERROR "kalden --versio ended with ${rc}, printing '${out}' and '${err}'")
endif()

check("kalden-report --version" "${PREFIX}/bin/kalden-report" --version)
if(NOT output STREQUAL "kalden-report ${VERSION}\n")
  message(FATAL_ERROR "kalden-report --version printed '${output}'")
endif()
