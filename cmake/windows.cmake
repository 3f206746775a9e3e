# What the Windows programs carry inside: the icon, the version information and the manifest
# (made by windres), and Qt's own Czech texts for the window program, whose file dialogs and
# buttons would otherwise look for them in a folder of the machine Qt was built on.
enable_language(RC)
string(REPLACE "." "," STAVNIK_VERSION_COMMAS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0")
set(STAVNIK_ICON ${PROJECT_SOURCE_DIR}/dist/windows/stavnik-cfg.ico)
foreach(_entry
    "stavnik-cfg|Stavnik CFG - configuration of the STV2 station-throat controller"
    "stavnikctl|Stavnik CFG for the command line")
  string(REPLACE "|" ";" _entry "${_entry}")
  list(GET _entry 0 STAVNIK_PROGRAM)
  if(NOT TARGET ${STAVNIK_PROGRAM})
    continue()
  endif()
  list(GET _entry 1 STAVNIK_DESCRIPTION)
  set(_dir ${PROJECT_BINARY_DIR}/windows)
  set(STAVNIK_MANIFEST ${_dir}/${STAVNIK_PROGRAM}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/dist/windows/program.manifest.in ${STAVNIK_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/dist/windows/program.rc.in ${_dir}/${STAVNIK_PROGRAM}.rc
                 @ONLY)
  target_sources(${STAVNIK_PROGRAM} PRIVATE ${_dir}/${STAVNIK_PROGRAM}.rc)
  set_property(SOURCE ${_dir}/${STAVNIK_PROGRAM}.rc APPEND PROPERTY OBJECT_DEPENDS
               ${STAVNIK_MANIFEST} ${STAVNIK_ICON})
endforeach()

# The host's Qt has the same version as the static one; its translations are plain data.
find_file(STAVNIK_QTBASE_CS qtbase_cs.qm
  PATHS ${QT_HOST_PATH}/share/qt6/translations /usr/share/qt6/translations
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT STAVNIK_QTBASE_CS)
  message(FATAL_ERROR "qtbase_cs.qm not found: apt install qt6-translations-l10n")
endif()
set_source_files_properties(${STAVNIK_QTBASE_CS} PROPERTIES QT_RESOURCE_ALIAS qtbase_cs.qm)
if(TARGET stavnik-cfg)
  qt_add_resources(stavnik-cfg qt_czech PREFIX /translations FILES ${STAVNIK_QTBASE_CS})
endif()
