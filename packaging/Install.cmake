# Installing like a desktop program: the window program with its help file
# beside it (it looks there), a link on the path, the command-line tool, the
# desktop entry and the icons; and a Debian package of all of it.
include(GNUInstallDirs)

set(ZORVAK_PRIVATE_DIR ${CMAKE_INSTALL_LIBDIR}/zorvak)
if(ZORVAK_BUILD_UI)
  install(TARGETS zorvak RUNTIME DESTINATION ${ZORVAK_PRIVATE_DIR})
  install(FILES ${PROJECT_SOURCE_DIR}/resources/ZorvHelp.rtf DESTINATION ${ZORVAK_PRIVATE_DIR})
  # The program finds its help file beside its own resolved path, so a link
  # on the path is enough.
  install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK ../${ZORVAK_PRIVATE_DIR}/zorvak
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zorvak\" SYMBOLIC)")
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/zorvak.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 16 32 48)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/pictures/icon${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME zorvak.png)
  endforeach()
  install(FILES ${PROJECT_SOURCE_DIR}/resources/zorvak-256.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME zorvak.png)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/zorvak.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

set(CPACK_PACKAGE_NAME zorvak)
set(CPACK_PACKAGE_VENDOR "The Zorvak developers")
set(CPACK_PACKAGE_CONTACT "The Zorvak developers <zorvak@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop tool for Quake PAK archives")
set(CPACK_PACKAGE_DESCRIPTION
    "Opens Quake PAK archives, lists, extracts and plays their entries, and packs directory trees into new archives. Includes zorvak-pak for scripts.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries' packages are found from the binaries themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)
