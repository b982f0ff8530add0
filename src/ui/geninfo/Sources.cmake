# General settings dialog (identification and general settings, four variants).
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/GenInfoDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFGenInfo.cpp)
