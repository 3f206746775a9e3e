# `cmake --install` and the Debian package (`cpack` in the build tree): the three programs, a
# desktop entry and an icon, under /usr in the package.
include(GNUInstallDirs)
install(TARGETS stavnik-cfg stavnikctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET stv2-emu)
  install(TARGETS stv2-emu RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${CMAKE_SOURCE_DIR}/dist/stavnik-cfg.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/dist/stavnik-cfg.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(STAVNIK_MAINTAINER "Stavnik CFG maintainers <stavnik-cfg@localhost>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME stavnik-cfg)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # stavnik-cfg_3.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${STAVNIK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's libraries only recommend their platform plugins, and without one no window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "configuration tool for the STV2 model-railway station-throat controller
Stavnik CFG defines the train routes and module-wide settings of the STV2
controller and its EXP2 expansion unit, keeps them in data files, and reads,
verifies and writes them in the module over an RS232 line. It also drives the
module's outputs by hand and shows its inputs live. The user interface is in
Czech.
.
Also included: stavnikctl, the same core for scripts, and stv2-emu, a virtual
module on a pseudo-terminal for trying the tool without hardware.")
include(CPack)
