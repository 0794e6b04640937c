target_sources(zorvak_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR} / Gauges.cpp ${CMAKE_CURRENT_LIST_DIR} /
               Gauges.h)
