# Precompiled headers: the Qt and standard headers that nearly every file of a target
# includes are compiled once per target instead of once per file. Applied to every library
# and executable of the project with at least three sources; KELM_PCH=OFF builds without
# (the sanitizer build does, which also keeps every file's own includes complete).
option(KELM_PCH "Precompile the common Qt and standard headers per target" ON)

set(KELM_PCH_STD <algorithm> <array> <cstdint> <functional> <map> <memory> <optional> <vector>)
set(KELM_PCH_CORE <QByteArray> <QDir> <QFile> <QList> <QObject> <QString> <QStringList>
    <QTextStream> ${KELM_PCH_STD})
set(KELM_PCH_WIDGETS ${KELM_PCH_CORE} <QComboBox> <QDialog> <QHBoxLayout> <QLabel> <QLineEdit>
    <QMdiArea> <QMdiSubWindow> <QPushButton> <QVBoxLayout> <QWidget>)

# ccache caches files built with a precompiled header only with this sloppiness.
if(KELM_PCH AND CCACHE_PROGRAM)
    set(CMAKE_CXX_COMPILER_LAUNCHER env CCACHE_SLOPPINESS=pch_defines,time_macros ${CCACHE_PROGRAM})
endif()

function(kelm_collect_targets dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub ${subdirs})
        kelm_collect_targets(${sub} more)
        list(APPEND targets ${more})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Gives every project target with three or more C++ sources the header set it can use:
# widgets for targets that link the ui library or Qt Widgets, GoogleTest for tests.
function(kelm_precompile_headers)
    if(NOT KELM_PCH)
        return()
    endif()
    kelm_collect_targets(${PROJECT_SOURCE_DIR} targets)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(NOT type STREQUAL "STATIC_LIBRARY" AND NOT type STREQUAL "EXECUTABLE")
            continue()
        endif()
        get_target_property(sources ${target} SOURCES)
        list(FILTER sources INCLUDE REGEX "\\.cpp$")
        list(LENGTH sources count)
        if(count LESS 3)
            continue()
        endif()
        get_target_property(links ${target} LINK_LIBRARIES)
        set(headers ${KELM_PCH_CORE})
        if(links MATCHES "(^|;)(ui|Qt6::Widgets|Qt::Widgets)(;|$)")
            set(headers ${KELM_PCH_WIDGETS})
        endif()
        if(links MATCHES "GTest::")
            list(APPEND headers <gtest/gtest.h>)
        endif()
        target_precompile_headers(${target} PRIVATE ${headers})
    endforeach()
endfunction()
