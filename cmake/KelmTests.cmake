find_package(GTest REQUIRED)

# kelm_add_test(NAME name LABEL label SOURCES ... LIBS ...)
# A GoogleTest executable registered with CTest. Tests are discovered when ctest runs,
# so building never executes a test binary. Every test runs offscreen with a private
# configuration folder.
function(kelm_add_test)
    cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KELM_RUNTIME_DIR})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    kelm_warnings(${T_NAME})
    target_compile_definitions(${T_NAME} PRIVATE
        KELM_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        KELM_RUNTIME_DIR="${KELM_RUNTIME_DIR}")
    gtest_discover_tests(${T_NAME}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS "${T_LABEL}"
                   ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config")
endfunction()
