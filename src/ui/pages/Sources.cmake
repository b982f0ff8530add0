# Main parameter page, its rules and its entry for the main window.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MainDevPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainDevRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RegenResistor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFMainDev.cpp)
# The frame of the dialog pages and their rules.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DialogPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LoopRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MotorRules.cpp)
