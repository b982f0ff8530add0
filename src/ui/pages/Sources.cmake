# Main parameter page, its rules and its entry for the main window.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MainDevPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainDevRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RegenResistor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFMainDev.cpp)
