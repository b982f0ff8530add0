# Oscilloscope window, stored trace viewer and the cursors they share.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/GraphCursors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OffsetTrack.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OscilloWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScopeExport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFOscillo.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFOscilloLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TFRegOsc.cpp
)
