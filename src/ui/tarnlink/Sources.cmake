# The link overview and unit selection.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TFTarnSel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UnitPanel.cpp
)
