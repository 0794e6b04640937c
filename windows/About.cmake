# The about box and the component that shows it.
target_sources(zorvak_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Genabout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Veldlgs.cpp
)
