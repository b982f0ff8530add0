# Installation and the Debian package.
#
#   lib/kelmdrive/          the programs, the shipped configuration set Bin/ beside them (each
#                           program's installation folder is its own folder) and the marker
#                           that sends the user's files to the user's data folder
#   bin/                    links to the programs
#   share/applications, share/metainfo, share/icons/hicolor/scalable/apps: launcher,
#                           AppStream metadata and icon of the desktop program
#   share/man/man1          man pages made from the programs' --help and data/man
#   share/doc/kelmdrive     copyright and changelog, as Debian packages carry them
#
# cpack -G DEB (scripts/package.sh) packs the tree for /usr, with the shared-library
# dependencies computed by dpkg-shlibdeps.

set(KELM_INSTALL_DIR lib/kelmdrive)
set(KELM_PROGRAMS kelmctl kelmsim)
if(KELM_BUILD_UI)
    list(APPEND KELM_PROGRAMS kelmdrive)
endif()
set(KELM_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/data/desktop)

install(TARGETS ${KELM_PROGRAMS} RUNTIME DESTINATION ${KELM_INSTALL_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/Bin/ DESTINATION ${KELM_INSTALL_DIR}/Bin)
install(FILES ${KELM_DESKTOP_DIR}/installed-package DESTINATION ${KELM_INSTALL_DIR})

# Debian's copyright file and the changelog, compressed as Debian ships it.
set(KELM_CHANGELOG ${CMAKE_BINARY_DIR}/doc/changelog.gz)
add_custom_command(OUTPUT ${KELM_CHANGELOG}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/data/debian/changelog > ${KELM_CHANGELOG}
    DEPENDS ${PROJECT_SOURCE_DIR}/data/debian/changelog
    COMMENT "Debian changelog")
add_custom_target(kelm_changelog ALL DEPENDS ${KELM_CHANGELOG})
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${KELM_CHANGELOG}
        DESTINATION share/doc/kelmdrive)

# Relative links, so an unpacked or relocated tree works as well as the installed one.
foreach(program ${KELM_PROGRAMS})
    set(link ${CMAKE_BINARY_DIR}/install-links/${program})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
    file(CREATE_LINK ../${KELM_INSTALL_DIR}/${program} ${link} SYMBOLIC)
    install(FILES ${link} DESTINATION bin)
endforeach()

if(KELM_BUILD_UI)
    install(FILES ${KELM_DESKTOP_DIR}/${KELM_APP_ID}.desktop DESTINATION share/applications)
    install(FILES ${KELM_DESKTOP_DIR}/${KELM_APP_ID}.metainfo.xml DESTINATION share/metainfo)
    install(FILES ${KELM_DESKTOP_DIR}/${KELM_APP_ID}.svg
            DESTINATION share/icons/hicolor/scalable/apps)
endif()

# Man pages from --help and --version (help2man), compressed as Debian ships them.
find_program(KELM_HELP2MAN help2man)
if(KELM_HELP2MAN)
    set(KELM_MAN_SUMMARY_kelmctl "command-line front end of the Kelm Drive commissioning tool")
    set(KELM_MAN_SUMMARY_kelmsim "simulated servo drive or Tarn link on a pseudo-terminal")
    set(KELM_MAN_SUMMARY_kelmdrive "commissioning and tuning of servo drives over a serial line")
    set(KELM_MAN_PAGES "")
    foreach(program ${KELM_PROGRAMS})
        set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
        # Sections --help cannot give (environment, files, see also) come from data/man.
        set(include ${PROJECT_SOURCE_DIR}/data/man/${program}.h2m)
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                    ${KELM_HELP2MAN} --no-info --section=1
                    "--name=${KELM_MAN_SUMMARY_${program}}" --include=${include}
                    --output=${page}
                    $<TARGET_FILE:${program}>
            COMMAND gzip -9nf ${page}
            DEPENDS ${program} ${include}
            COMMENT "Man page of ${program}"
            VERBATIM)
        list(APPEND KELM_MAN_PAGES ${page}.gz)
    endforeach()
    add_custom_target(kelm_man ALL DEPENDS ${KELM_MAN_PAGES})
    install(FILES ${KELM_MAN_PAGES} DESTINATION share/man/man1)
else()
    message(STATUS "help2man not found: no man pages (scripts/setup.sh installs it)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelmdrive)
set(CPACK_PACKAGE_VENDOR "Kelm Industries")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "commissioning and tuning tool for servo drives")
# Lines of at most 79 characters once dpkg indents them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Kelm Drive connects a PC through a serial port to a servo drive or a\n"
    "multi-axis Tarn link: parameter pages, parameter files, live status and\n"
    "alarms, motor phasing and offset tuning, a software oscilloscope and the\n"
    "motion profile editor. The package also holds kelmctl, the command-line\n"
    "front end, and kelmsim, a drive simulator.")
set(KELM_PACKAGE_MAINTAINER "Kelm Drive maintainers <kelmdrive@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT ${KELM_PACKAGE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugin at run time, where dpkg-shlibdeps cannot see it.
if(KELM_BUILD_UI)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()
include(CPack)
