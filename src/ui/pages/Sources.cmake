# Main parameter page and its entry for the main window.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/EditWrite.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainDevPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFMainDev.cpp)
# Dialog pages opened by the main page's buttons, their frame and the LED colours.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DialogPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFAnalog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DialogPages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IoPages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LedColour.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFCurrent.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFDigital.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFEncOut.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFMotor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFPosit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFSpeed.cpp)
