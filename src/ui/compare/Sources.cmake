# The comparison window and its commands.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CompareCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CompareGrid.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFCompDev.cpp
)
