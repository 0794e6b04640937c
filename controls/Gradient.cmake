# The gradient backdrop and the gradient button, with their shared helpers.
target_sources(zorvak_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ColorMath.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Backdrop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Gradbtn.cpp
)
