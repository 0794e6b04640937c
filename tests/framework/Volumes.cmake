target_sources(zorvak_core_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/VolumesTest.cpp)
