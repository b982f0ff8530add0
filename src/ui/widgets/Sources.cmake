# Numeric entry field and the page field-list operations.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PageFields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TPNumEdit.cpp)
