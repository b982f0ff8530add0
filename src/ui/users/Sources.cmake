# User levels and the password dialog.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/UserLevel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFUsers.cpp)
