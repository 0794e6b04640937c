target_sources(zorvak_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Waveplay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SoundService.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlSound.cpp
)
