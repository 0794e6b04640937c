# The rich-text reader's tests need no toolkit; the window's and the
# document's do.
target_sources(zorvak_core_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/RtfParserTest.cpp)
target_sources(zorvak_ui_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RtfDocumentTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ZorvHelpTest.cpp
)
target_compile_definitions(zorvak_ui_tests PRIVATE
  ZORVAK_HELP_SOURCE="${PROJECT_SOURCE_DIR}/resources/ZorvHelp.rtf")
# The help's own test checks it against the command-line tool's commands.
target_link_libraries(zorvak_ui_tests PRIVATE zorvak_cli)
