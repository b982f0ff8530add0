# Commissioning procedures: the wait dialog and the Tuning menu commands.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TFTuning.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TuningCommands.cpp
)
