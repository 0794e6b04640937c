target_sources(zorvak_core_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PakBuildTest.cpp)
if(ZORVAK_BUILD_UI)
  target_sources(zorvak_ui_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/BuildpakTest.cpp)
endif()
