# The diagnostic register view.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DiagnosticWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DiagValueDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainWindowReduction.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFDiagnostic.cpp
)
