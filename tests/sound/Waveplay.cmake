target_sources(zorvak_ui_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/WaveplayTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlSoundTest.cpp
)
