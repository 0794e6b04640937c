# Tests of the about box and the component that shows it.
target_sources(zorvak_ui_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/GenaboutTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VeldlgsTest.cpp
)
