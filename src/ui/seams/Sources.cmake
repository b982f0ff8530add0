# Dialog and message seams of the desktop program.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DialogRunner.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MessageBoxSink.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScriptedDialogs.cpp
)
