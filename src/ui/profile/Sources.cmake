# The profile editor: its sketch and its window.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ProfileChart.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFProfile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProfileWindow.cpp
)
