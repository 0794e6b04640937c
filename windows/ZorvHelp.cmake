# The help window and its rich-text reader. The reader is toolkit-free and
# joins the core (the fuzzer reads with it); the window and the document
# builder join the windows.
target_sources(zorvak_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/RtfParser.cpp)
target_sources(zorvak_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RtfDocument.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZorvHelp.cpp
)

# The program looks for its help file beside itself, in the build tree as
# once installed.
set(ZORVAK_HELP_FILE ${PROJECT_SOURCE_DIR}/resources/ZorvHelp.rtf)
add_custom_target(zorvak_help_file
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZORVAK_HELP_FILE} $<TARGET_FILE_DIR:zorvak>/ZorvHelp.rtf
  DEPENDS ${ZORVAK_HELP_FILE}
  COMMENT "Copying ZorvHelp.rtf beside the program"
  VERBATIM)
add_dependencies(zorvak zorvak_help_file)
# Installed beside the program by packaging/Install.cmake.
