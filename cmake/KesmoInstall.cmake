# Install rules (GNUInstallDirs) and the Debian package of scripts/package.

include(GNUInstallDirs)

# udev reads /usr/lib/udev/rules.d and /etc/udev/rules.d, not the rules folder of /usr/local.
set(KESMO_UDEV_RULES_DIR "lib/udev/rules.d" CACHE PATH "udev rules folder, relative to the prefix")
set(KESMO_APP_ID "org.kesmo.Kesmo")
set(KESMO_SCREENSHOT_URL "https://kesmo.invalid/docs/kesmo.png"
    CACHE STRING "Where software centres fetch the screenshot of the README (docs/kesmo.png)")

install(TARGETS kesmo-cli kesmo-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/udev/60-kesmo-ch9326.rules DESTINATION ${KESMO_UDEV_RULES_DIR})

# Manual pages go in compressed, as man finds them.
set(man_pages kesmo-cli.1 kesmo-sim.1)
if(TARGET kesmo)
    list(APPEND man_pages kesmo.1)
endif()
set(man_outputs "")
foreach(page ${man_pages})
    set(out ${PROJECT_BINARY_DIR}/man/${page})
    add_custom_command(
        OUTPUT ${out}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/resources/man/${page} ${out}
        COMMAND gzip -9nf ${out}
        DEPENDS ${PROJECT_SOURCE_DIR}/resources/man/${page}
        VERBATIM)
    list(APPEND man_outputs ${out}.gz)
endforeach()
add_custom_target(kesmo_man_pages ALL DEPENDS ${man_outputs})
install(FILES ${man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Named after the package, not the project, as Debian's documentation folders are.
install(FILES resources/package/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kesmo)
# The Debian changelog entry scripts/package writes for the build it packages.
set(KESMO_DEB_CHANGELOG "" CACHE FILEPATH "changelog.gz to install with the copyright")
if(KESMO_DEB_CHANGELOG)
    install(FILES ${KESMO_DEB_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/kesmo)
endif()

if(TARGET kesmo)
    install(TARGETS kesmo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES resources/kesmo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    configure_file(resources/kesmo.metainfo.xml.in
                   ${PROJECT_BINARY_DIR}/${KESMO_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${KESMO_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(DIRECTORY ${PROJECT_BINARY_DIR}/icons/hicolor
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kesmo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kesmo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the Velqor SV karaoke audio processor")
# Lines of the long description, as the control file shows them (no semicolons: CMake lists).
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Kesmo connects to the Velqor SV karaoke audio processor over a serial port"
    "or a CH9326 USB-HID-to-UART bridge, reads its whole state, edits every"
    "parameter live and saves presets to files."
    "kesmo-cli reads, writes and compares presets from the command line, and"
    "kesmo-sim simulates the processor on a pseudo-terminal.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its window-system plugins at run time, and the dialog layout is measured in
# Liberation Sans: neither shows among the linked libraries.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, udev")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/resources/package/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(NOT CPACK_DEBIAN_PACKAGE_MAINTAINER)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kesmo developers <kesmo@localhost>")
endif()
include(CPack)
