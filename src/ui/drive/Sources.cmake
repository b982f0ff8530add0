# Drive selection: the selection dialog, the off-line chooser, the transfer progress
# dialog, the number prompt and the connection flows.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DialogPlacement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFSelectDriver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFOffLineSel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFConnectD.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFGetNumber.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SelectDrive.cpp)
