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
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/rq30)

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
set(CPACK_PACKAGE_CONTACT "RQ-30 maintainers <rq30@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Operator program for the VTQ45 process and temperature controller")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY rq30)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # rq30_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Operator program for the VTQ45 process and temperature controller
 RQ-30 (Czech interface) talks to one controller over a serial bus: live
 values and chart, measurement log, parameters and setpoint programs, record
 memory, bus scan and identification. Also holds vtq45-sim, a controller
 simulator on a pseudo-terminal, and rq30ctl, a command-line client.")
# The Qt libraries and the C++ runtime are found by dpkg-shlibdeps; Qt's
# Czech texts ("Ano", "Ne", "Zrušit") come from the translations package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)

if(RQ30_WITH_QT AND RQ30_WITH_TESTS)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/tests ${CMAKE_BINARY_DIR}/packaging/tests)
endif()
