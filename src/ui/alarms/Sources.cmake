# Alarm window and its single-instance entry points.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AlarmWords.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFAllarms.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AlarmWindow.cpp)
