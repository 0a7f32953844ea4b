# What `cmake --install` puts where, and the three Debian packages CPack makes of it:
#   orvik-panel    the panel, its desktop entry, icons, AppStream metadata and manual page
#   orvik-sim      the controller simulator, for tests and demonstrations
#   orvik-station  the station service, its systemd unit, manual page and an example
#                  configuration
# Build them with scripts/package.sh, which also runs lintian over them.
include(${CMAKE_CURRENT_LIST_DIR}/Hardening.cmake)

set(ORVIK_APP_ID com.korvane.orvik_panel)
set(ORVIK_PACKAGE_MAINTAINER "Korvane <support@korvane.com>"
    CACHE STRING "Maintainer of the Debian packages, as \"Name <address>\"")

install(TARGETS orvik-panel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT panel)
install(TARGETS orvik-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT sim)
install(TARGETS orvik-station RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT station)

if(NOT UNIX OR APPLE)
  return()
endif()

# A stripped install (cpack, cmake --install --strip) also drops the compilers' version
# notes, as Debian's own packages do; plain strip leaves them in.
foreach(component panel sim station)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/orvik-${component}\"
        RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR \"strip failed on orvik-${component}\")
      endif()
    endif()" COMPONENT ${component})
endforeach()

# Desktop entry and AppStream metadata are named after the application's id, so that
# software centres find one from the other.
install(FILES ${CMAKE_SOURCE_DIR}/resources/${ORVIK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT panel)
install(FILES ${CMAKE_SOURCE_DIR}/resources/${ORVIK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT panel)
install(FILES ${CMAKE_SOURCE_DIR}/resources/images/orvik-panel.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps COMPONENT panel)
foreach(size 48 64 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/orvik-panel-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME orvik-panel.png COMPONENT panel)
endforeach()

# Manual pages carry the project's version; they and the Debian changelog are
# compressed the way Debian wants them: gzip -9, without name or time stamp (-n), so
# the same sources give the same bytes. The packages' version has no Debian revision
# (they are made here, not ported by Debian), which makes them native packages: their
# changelog is changelog.gz, not changelog.Debian.gz.
find_program(ORVIK_GZIP gzip REQUIRED)
set(packaging_dir ${CMAKE_BINARY_DIR}/packaging)
foreach(page orvik-panel orvik-sim orvik-station)
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.1.in ${packaging_dir}/${page}.1 @ONLY)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/packaging/debian/changelog
               ${packaging_dir}/changelog COPYONLY)
set(compressed)
foreach(file orvik-panel.1 orvik-sim.1 orvik-station.1 changelog)
  add_custom_command(OUTPUT ${packaging_dir}/${file}.gz
    COMMAND ${ORVIK_GZIP} -9nkf ${file}
    WORKING_DIRECTORY ${packaging_dir}
    DEPENDS ${packaging_dir}/${file}
    VERBATIM)
  list(APPEND compressed ${packaging_dir}/${file}.gz)
endforeach()
add_custom_target(orvik-packaging-files ALL DEPENDS ${compressed})

install(FILES ${packaging_dir}/orvik-panel.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT panel)
install(FILES ${packaging_dir}/orvik-sim.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT sim)
install(FILES ${packaging_dir}/orvik-station.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT station)
# The unit goes where Debian's systemd looks first for the units packages ship, whatever
# CMAKE_INSTALL_LIBDIR says (on Debian that is lib/<triplet>, for libraries).
install(FILES ${CMAKE_SOURCE_DIR}/packaging/station/orvik-station.service
        DESTINATION lib/systemd/system COMPONENT station)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/station/station.ini
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvik-station/examples COMPONENT station)
# The packages come from the one source, so they carry the same changelog and
# copyright, each in its own documentation folder as Debian requires.
foreach(component panel sim station)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/debian/copyright
                ${packaging_dir}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvik-${component} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvik-panel)
set(CPACK_PACKAGE_VENDOR Korvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL https://www.korvane.com/)
set(CPACK_PACKAGE_CONTACT "${ORVIK_PACKAGE_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL panel sim station)
# A source archive, if anyone makes one, leaves out build folders and the history.
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git(/|$)" "/build[^/]*/")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# Depends: is worked out by dpkg-shlibdeps from the libraries the binaries link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_PANEL_PACKAGE_NAME orvik-panel)
set(CPACK_DEBIAN_PANEL_DESCRIPTION
"control panel for the KELMAR remote antenna switch
The desktop control panel of a radio station's remote antenna switch. It
drives the switch's KELMAR controller over one serial port: the operator picks
the transmit antenna (eight keys or F1 to F8), a receive antenna, a rotor,
split and super-split pairings, and releases the switch. The panel asks the
controller for its status several times a second and mirrors it in colours:
the selected antenna, antennas held by another station, the station on the
air, a lost link.

It keeps key captions, antenna labels and the station ID, remembers the
serial port by its stable name and can reconnect by itself when a USB serial
adapter is pulled and plugged back. A controller in another building can be
reached over IP with ser2net and socat.")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME orvik-sim)
set(CPACK_DEBIAN_SIM_PACKAGE_SOURCE orvik-panel)
set(CPACK_DEBIAN_SIM_DESCRIPTION
"simulator of the KELMAR antenna switch controller
A stand-in for the controller of the ORVIK remote antenna switch, for trying
out, demonstrating and testing the orvik-panel control panel without the
hardware. It answers the panel's commands on a pseudo-terminal, under a
stable path that the panel opens as a custom serial port.

Commands typed on its standard input, or options given at start, report
antennas busy or the station transmitting, and spoil the line the way a real
one is spoiled: silence, garbage, cut or late answers, answers sent a byte at
a time at a given line speed, random noise between answers, a hang-up, or
another device's answers. Every command it receives is logged, optionally as
JSON lines for tests.")

set(CPACK_DEBIAN_STATION_PACKAGE_NAME orvik-station)
set(CPACK_DEBIAN_STATION_PACKAGE_SOURCE orvik-panel)
# The maintainer scripts only tell systemd its unit came or went, stop the service on
# removal and restart a running one after an upgrade: nothing is enabled or started.
set(CPACK_DEBIAN_STATION_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/station/postinst
    ${CMAKE_SOURCE_DIR}/packaging/station/prerm
    ${CMAKE_SOURCE_DIR}/packaging/station/postrm)
set(CPACK_DEBIAN_STATION_DESCRIPTION
"network service for the KELMAR remote antenna switch
A headless service that owns the serial port of a radio station's remote
antenna switch and serves the switch to many clients at once: loggers and
scripts over a line-based TCP protocol, browsers through a built-in web page
and its WebSocket. Writes go through one paced queue and are answered once
the switch reports them done; every change is pushed to the clients that
subscribed. It can follow the radio's band through rigctld or N1MM Logger+,
as the orvik-panel control panel does.

Clients beyond the machine itself authenticate with named tokens, each for
control or for watching only; the token file holds only their hashes. TLS,
a client limit, per-client command rates and per-address bounds on bad
tokens are configured in /etc/orvik-station/station.ini.

A hardened systemd unit is included, installed disabled: write the
configuration, then enable it.")

include(CPack)
