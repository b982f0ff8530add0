# The port settings dialog.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TFComSet.cpp)
