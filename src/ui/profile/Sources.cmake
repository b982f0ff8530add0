# The profile editor: its rules, its sketch and its window.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ProfileRules.cpp
)
