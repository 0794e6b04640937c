# The main window's glyphs and the program's icon, compiled in by AUTORCC.
# make_pictures.py writes the pictures; run it after changing their text.
target_sources(zorvak_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/pictures.qrc
  ${CMAKE_CURRENT_LIST_DIR}/Pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Pictures.h
)
