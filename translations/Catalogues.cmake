# The window program's catalogues: translations/zorvak_LANG.ts, kept by
# lupdate (scripts/check-translations.sh --update; the same script without
# it fails when they fall behind the sources), compiled by lrelease into
# .qm files that go into the program's resources under :/i18n, so a build
# tree, the tests and an install all find them. Included from the top
# directory, where zorvak_ui is made, so the resources see the rules that
# make them. Debian's qt6-l10n-tools has the tools but not the CMake
# package of the Qt sources (qt6-tools-dev, with Designer and all): the
# tools are run directly.
set(ZORVAK_LANGUAGES de fr)
find_program(ZORVAK_LRELEASE NAMES lrelease lrelease-qt6
             HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} REQUIRED)
set(_catalogues ${CMAKE_CURRENT_BINARY_DIR}/translations)
set(_compiled)
foreach(_language IN LISTS ZORVAK_LANGUAGES)
  set(_ts ${CMAKE_CURRENT_SOURCE_DIR}/translations/zorvak_${_language}.ts)
  set(_qm ${_catalogues}/zorvak_${_language}.qm)
  add_custom_command(
    OUTPUT ${_qm}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_catalogues}
    COMMAND ${ZORVAK_LRELEASE} -silent ${_ts} -qm ${_qm}
    DEPENDS ${_ts}
    COMMENT "Compiling the catalogue zorvak_${_language}.ts"
    VERBATIM)
  list(APPEND _compiled ${_qm})
endforeach()
qt_add_resources(zorvak_ui zorvak_catalogues PREFIX /i18n BASE ${_catalogues} FILES ${_compiled})
