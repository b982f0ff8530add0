# Main window, splash, about box and the main window's command rules.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ChildWindows.cpp
)
