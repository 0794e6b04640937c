# The main window's glyphs and the program's icon load at their sizes.
if(ZORVAK_BUILD_UI)
  target_sources(zorvak_ui_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PicturesTest.cpp)
  # Where the pictures that are not compiled in (the large and scalable icon) lie.
  target_compile_definitions(zorvak_ui_tests PRIVATE
    ZORVAK_RESOURCES_DIR="${PROJECT_SOURCE_DIR}/resources")
endif()
