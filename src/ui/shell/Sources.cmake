# Main window, program session, commands, splash and about box.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AboutBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChildWindows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandActions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CommandController.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExtraLinkPorts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileCommands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Principale.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgramLaunch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgramSession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ShellFlows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFWelcome.cpp
)
