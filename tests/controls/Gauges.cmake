target_sources(zorvak_ui_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/GaugesTest.cpp)
