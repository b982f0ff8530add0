# Numeric entry field, the page field-list operations and window sizing.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/GrowToContent.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PageFields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TPNumEdit.cpp)
