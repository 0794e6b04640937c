# The mounted volumes the build dialog's drive selector lists.
target_sources(zorvak_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Volumes.cpp)
