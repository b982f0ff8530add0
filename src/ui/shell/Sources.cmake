# Main window, splash, about box and the main window's command rules.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AboutBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BasicStatusPanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChildWindows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExtraLinkPorts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Principale.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrincipaleCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PrincipaleFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgramLaunch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFWelcome.cpp
)
