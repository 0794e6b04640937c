target_sources(zorvak_core PRIVATE ${CMAKE_CURRENT_LIST_DIR} / PropertyStream.cpp)
