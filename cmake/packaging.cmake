# `cmake --install` and the Debian package (`cpack` in the build tree): the three programs, a
# desktop entry and an icon, manual pages, the copyright and the changelog, under /usr in the
# package. `cmake --install <build> --strip` strips the programs; the package always does.
include(GNUInstallDirs)
foreach(_program stavnik-cfg stavnikctl stv2-emu)
  if(TARGET ${_program})
    install(TARGETS ${_program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/dist/stavnik-cfg.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/dist/stavnik-cfg.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages made from each program's --help and --version, so they never drift apart. In a
# UTF-8 locale: help2man's own default, C, turns every Czech letter of a quoted menu item into
# question marks.
find_program(HELP2MAN help2man)
if(HELP2MAN AND NOT STAVNIK_SANITIZE AND NOT STAVNIK_FUZZ)
  set(_man_pages)
  foreach(_entry
      "stavnik-cfg|configuration tool for the STV2 model-railway station-throat controller"
      "stavnikctl|the Stavnik CFG core for scripts: data files and module transfers"
      "stv2-emu|a virtual STV2 module with its EXP2 unit on a pseudo-terminal")
    string(REPLACE "|" ";" _entry "${_entry}")
    list(GET _entry 0 _program)
    list(GET _entry 1 _name)
    if(NOT TARGET ${_program})
      continue()
    endif()
    set(_page ${PROJECT_BINARY_DIR}/man/${_program}.1)
    add_custom_command(OUTPUT ${_page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${HELP2MAN} --locale=C.UTF-8 --no-info --section=1 "--name=${_name}"
              --output=${_page}
              $<TARGET_FILE:${_program}>
      COMMAND gzip -9nf ${_page}
      DEPENDS ${_program}
      COMMENT "Manual page of ${_program}")
    list(APPEND _man_pages ${_page}.gz)
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${_man_pages})
  install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no manual pages (apt install help2man)")
endif()

# Debian's place for both, the changelog compressed as policy asks.
set(_changelog ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${_changelog}
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/dist/changelog > ${_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/dist/changelog)
add_custom_target(changelog ALL DEPENDS ${_changelog})
install(FILES ${PROJECT_SOURCE_DIR}/dist/copyright ${_changelog}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/stavnik-cfg)

# The package's Maintainer field: DEBFULLNAME and DEBEMAIL when set, as Debian's tools use them.
set(_maintainer "Stavnik CFG maintainers <stavnik-cfg@example.org>")
if(DEFINED ENV{DEBEMAIL})
  set(_maintainer "$ENV{DEBEMAIL}")
  if(DEFINED ENV{DEBFULLNAME})
    set(_maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
  endif()
endif()
set(STAVNIK_MAINTAINER "${_maintainer}" CACHE STRING "Maintainer field of the Debian package")
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
