# Installing like a Debian program: both programs on the path, the help files
# in the shared data directory, manual pages, the bash, zsh and fish
# completions, the desktop entry with its icons and AppStream metadata, and
# the package's own documentation; and a Debian package of all of it.
include(GNUInstallDirs)

set(_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_generated ${PROJECT_BINARY_DIR}/packaging)
# The component id of the AppStream metadata: reverse-DNS, as software
# centres want it, on the reserved .invalid domain until the project has one
# of its own (the maintainer address below uses the same).
set(ZORVAK_APPSTREAM_ID invalid.zorvak.zorvak)

# The help file's place. The window program finds it there relative to its
# own resolved path, so the same binary works under /usr, /usr/local or a
# DESTDIR; in a build tree the help file sits beside the program instead.
set(ZORVAK_DATA_DIR ${CMAKE_INSTALL_DATADIR}/zorvak)
file(RELATIVE_PATH ZORVAK_DATA_DIR_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${ZORVAK_DATA_DIR})

# The message catalogues of zorvak-pak and the core, found the same way:
# share/locale/LANG/LC_MESSAGES/zorvak.mo relative to the program, and in a
# build tree <build>/locale first.
file(RELATIVE_PATH ZORVAK_LOCALE_DIR_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LOCALEDIR})
set_property(SOURCE ${PROJECT_SOURCE_DIR}/framework/linux/Translate.cpp
             APPEND PROPERTY COMPILE_DEFINITIONS
             ZORVAK_LOCALE_DIR_FROM_BIN="${ZORVAK_LOCALE_DIR_FROM_BIN}")
foreach(_language IN LISTS ZORVAK_LANGUAGES)
  install(FILES ${PROJECT_BINARY_DIR}/locale/${_language}/LC_MESSAGES/zorvak.mo
          DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${_language}/LC_MESSAGES)
endforeach()

# Manual pages carry the project's version and are installed compressed,
# as Debian wants them (-n: no time stamp, so builds are reproducible).
set(_manuals zorvak-pak)
if(ZORVAK_BUILD_UI)
  list(APPEND _manuals zorvak)
endif()
set(_manual_files)
foreach(_page IN LISTS _manuals)
  configure_file(${_packaging}/man/${_page}.1.in ${_generated}/man/${_page}.1 @ONLY)
  add_custom_command(
    OUTPUT ${_generated}/man/${_page}.1.gz
    COMMAND gzip -9 -n -f -k ${_page}.1
    WORKING_DIRECTORY ${_generated}/man
    DEPENDS ${_generated}/man/${_page}.1
    COMMENT "Compressing the manual page ${_page}.1"
    VERBATIM)
  list(APPEND _manual_files ${_generated}/man/${_page}.1.gz)
endforeach()

# The changelog's newest entry must be this version's, so a version bump
# that forgets it fails here rather than in the package.
set(ZORVAK_DEB_RELEASE 1)
file(STRINGS ${_packaging}/debian/changelog _changelog_top LIMIT_COUNT 1)
if(NOT _changelog_top MATCHES "^zorvak \\(${PROJECT_VERSION}-${ZORVAK_DEB_RELEASE}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog: the newest entry is \"${_changelog_top}\"; "
                      "add one for ${PROJECT_VERSION}-${ZORVAK_DEB_RELEASE}")
endif()
add_custom_command(
  OUTPUT ${_generated}/changelog.Debian.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${_packaging}/debian/changelog changelog.Debian
  COMMAND gzip -9 -n -f changelog.Debian
  WORKING_DIRECTORY ${_generated}
  DEPENDS ${_packaging}/debian/changelog
  COMMENT "Compressing the Debian changelog"
  VERBATIM)
add_custom_target(zorvak_packaging ALL DEPENDS ${_manual_files} ${_generated}/changelog.Debian.gz)

install(FILES ${_generated}/man/zorvak-pak.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_packaging}/completion/zorvak-pak
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${_packaging}/completion/_zorvak-pak
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${_packaging}/completion/zorvak-pak.fish
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
install(FILES ${_packaging}/debian/copyright ${_generated}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zorvak)
install(FILES ${_packaging}/debian/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zorvak)

if(ZORVAK_BUILD_UI)
  install(TARGETS zorvak RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The English help, and the help in each language the windows speak.
  install(FILES ${PROJECT_SOURCE_DIR}/resources/ZorvHelp.rtf
                ${PROJECT_SOURCE_DIR}/resources/ZorvHelp.de.rtf
                ${PROJECT_SOURCE_DIR}/resources/ZorvHelp.fr.rtf
          DESTINATION ${ZORVAK_DATA_DIR})
  target_compile_definitions(zorvak_ui PRIVATE
    ZORVAK_DATA_DIR_FROM_BIN="${ZORVAK_DATA_DIR_FROM_BIN}")
  install(FILES ${_generated}/man/zorvak.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${_packaging}/zorvak.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # The PK3 type; the package's trigger brings the MIME database up to date,
  # an install by hand does it here.
  install(FILES ${_packaging}/zorvak-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME zorvak.xml)
  install(CODE "
    find_program(_update_mime update-mime-database)
    if(_update_mime AND NOT DEFINED ENV{DESTDIR})
      execute_process(COMMAND \${_update_mime} \${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/mime)
    endif()")
  configure_file(${_packaging}/zorvak.metainfo.xml
                 ${_generated}/${ZORVAK_APPSTREAM_ID}.metainfo.xml @ONLY)
  install(FILES ${_generated}/${ZORVAK_APPSTREAM_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # Each size also at twice the density, in the theme's "@2" folders.
  foreach(size 16 32 48)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/pictures/icon${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME zorvak.png)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/pictures/icon${size}@2x.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}@2/apps
            RENAME zorvak.png)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/resources/zorvak-256.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME zorvak.png)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/zorvak.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

set(CPACK_PACKAGE_NAME zorvak)
set(CPACK_PACKAGE_VENDOR "The Zorvak developers")
# A reserved domain (RFC 2606): clearly no one's mailbox, and lintian takes it
# as a well-formed address, which a bare localhost is not.
set(CPACK_PACKAGE_CONTACT "The Zorvak developers <zorvak@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop tool for Quake PAK archives")
set(CPACK_PACKAGE_DESCRIPTION
    "Zorvak opens the PAK archives of the game Quake, lists their entries,\n"
    "extracts some or all of them, plays their sounds without extracting\n"
    "them, and packs directory trees into new archives.\n"
    "\n"
    "The package also contains zorvak-pak, which lists, extracts, builds and\n"
    "checks archives from scripts, without a display.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${ZORVAK_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries' packages are found from the binaries themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# No image-format plugins: the preview hands only PNG and JPEG to the
# toolkit's readers, which libqt6gui6 (found above) carries; every other
# picture kind (TGA, PCX, WAL, LMP, ...) is read by the core.
set(CPACK_STRIP_FILES ON)
# After the strip of a packaged install, the sections a stripped binary
# still carries for nothing go too, as Debian's own packages do it.
install(CODE "set(_zorvak_objcopy \"${CMAKE_OBJCOPY}\")
                set(_zorvak_bindir \"${CMAKE_INSTALL_BINDIR}\")")
install(CODE [[
  if(CMAKE_INSTALL_DO_STRIP AND _zorvak_objcopy)
    foreach(program zorvak zorvak-pak)
      set(path "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${_zorvak_bindir}/${program}")
      if(EXISTS "${path}")
        execute_process(COMMAND "${_zorvak_objcopy}" --remove-section=.comment
                                --remove-section=.note "${path}" COMMAND_ERROR_IS_FATAL ANY)
      endif()
    endforeach()
  endif()
]])
# Directories the install makes get the usual modes, whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
