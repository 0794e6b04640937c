#The main window 's list of entries, a view over the archive' s index.
target_sources(zorvak_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR} /
               PakListBox.cpp ${CMAKE_CURRENT_LIST_DIR} / PakListBox.h)
