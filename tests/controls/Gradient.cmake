# Tests of the gradient backdrop, the gradient button and their helpers.
target_sources(zorvak_ui_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ColorMathTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BackdropTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GradbtnTest.cpp
)
