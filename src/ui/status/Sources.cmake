# Status monitor: the right-hand status panel and the status poll's user-interface side.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/StatusPanelWidget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StatusMonitor.cpp)
