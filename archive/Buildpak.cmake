# The tree walk and the two-pass writer (core), and the build dialog.
target_sources(zorvak_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PakBuild.cpp)
if(ZORVAK_BUILD_UI)
  target_sources(zorvak_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Buildpak.cpp
    ${PROJECT_SOURCE_DIR}/resources/build/buildpak.qrc
  )
endif()
