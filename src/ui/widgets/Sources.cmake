# Numeric entry field, the page field-list operations, window sizing and its check.
list(APPEND KELM_UI_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FitAudit.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GrowToContent.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PageFields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChangeMark.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TPNumEdit.cpp)
