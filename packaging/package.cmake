# Installation and the Debian package: the program, the simulator and the
# command-line client, with a desktop entry and the program's icon.
#   cmake --install <build> [--prefix DIR]
#   cpack --config <build>/CPackConfig.cmake -G DEB   (or: ninja -C <build> package)
include(GNUInstallDirs)

set(RQ30_INSTALLED_PROGRAMS)
foreach(program rq30 vtq45-sim rq30ctl)
  if(TARGET ${program})
    list(APPEND RQ30_INSTALLED_PROGRAMS ${program})
  endif()
endforeach()
install(TARGETS ${RQ30_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TARGET rq30)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/rq30.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/rq30.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/rq30.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/README.md ${CMAKE_CURRENT_LIST_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/rq30)
# The README shows these pictures; the installed one finds them beside it.
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/docs/screenshots
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/rq30/docs
        FILES_MATCHING PATTERN "*.png")

# Manual pages and the changelog go in gzip'd, without a time stamp (-n) so
# that two builds of one source give the same package.
function(rq30_gzip source target)
  configure_file(${source} ${CMAKE_BINARY_DIR}/packaging/gz/${target}.plain COPYONLY)
  execute_process(COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/packaging/gz/${target}.plain
                  OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/gz/${target}.gz
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip of ${source} failed")
  endif()
endfunction()
foreach(program ${RQ30_INSTALLED_PROGRAMS})
  rq30_gzip(${CMAKE_CURRENT_LIST_DIR}/man/${program}.1 ${program}.1)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/gz/${program}.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
rq30_gzip(${CMAKE_CURRENT_LIST_DIR}/changelog changelog)
install(FILES ${CMAKE_BINARY_DIR}/packaging/gz/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/rq30)
if(TARGET rq30ctl)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/rq30ctl.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME rq30ctl)
endif()

# The MQTT bridge as a systemd service, one instance per serial line.
get_property(RQ30_BRIDGE GLOBAL PROPERTY RQ30_BRIDGE)
if(RQ30_BRIDGE)
  # The paths in it are those of the install, known only then: the package
  # installs under /usr, `cmake --install` under its --prefix.
  install(CODE "
    set(RQ30_BIN_DIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    set(RQ30_DOC_DIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/doc/rq30\")
    configure_file(\"${CMAKE_CURRENT_LIST_DIR}/rq30-bridge@.service.in\"
                   \"${CMAKE_BINARY_DIR}/packaging/rq30-bridge@.service\" @ONLY)")
  install(FILES ${CMAKE_BINARY_DIR}/packaging/rq30-bridge@.service
          DESTINATION lib/systemd/system)
endif()

set(CPACK_PACKAGE_NAME rq30)
set(CPACK_PACKAGE_VENDOR "RQ-30")
# The packaging's maintainer: the project's own address unless a build says
# otherwise (-DRQ30_PACKAGE_MAINTAINER="Name <address>").
set(RQ30_PACKAGE_MAINTAINER
    "RQ-30 maintainers <maintainers@users.noreply.c-seed-e04ffd5b.example>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${RQ30_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${RQ30_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Operator program for the VTQ45 process and temperature controller")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY rq30)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # rq30_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; CPack indents this body
# line by line, and a line of "." separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "RQ-30 (Czech interface) talks to one VTQ45 controller over a serial bus
(RS-485 through a USB adapter): live values and their chart, a measurement
log, the parameter editor with setpoint programs, the record memory, a bus
scan and the identification.
.
The package also holds vtq45-sim, a controller simulator on a
pseudo-terminal for trying everything without hardware, and rq30ctl, a
command-line client for scripts and cron jobs (JSON output, a headless
logger, parameter set backup and restore, an MQTT bridge).")
# The Qt libraries and the C++ runtime are found by dpkg-shlibdeps; Qt's
# Czech texts ("Ano", "Ne", "Zrušit") come from the translations package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)

if(RQ30_WITH_QT AND RQ30_WITH_TESTS)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/tests ${CMAKE_BINARY_DIR}/packaging/tests)
endif()
