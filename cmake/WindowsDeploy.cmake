# What kairos.exe needs beside it on Windows, installed with it by
# `cmake --install <build> --prefix <folder>`: there is no windeployqt for a
# cross build, so the list is kept here. The folder is a whole portable
# install, and what the zip and the installer carry.

# The icon and the manifest, compiled into the program.
string(REPLACE "." ";" version_parts "${PROJECT_VERSION}.0.0.0")
list(SUBLIST version_parts 0 4 version_parts)
list(JOIN version_parts "." KAIROS_RC_MANIFEST_VERSION)
configure_file(${PROJECT_SOURCE_DIR}/data/windows/kairos.manifest.in ${CMAKE_CURRENT_BINARY_DIR}/kairos.manifest @ONLY)
set(KAIROS_RC_ICON ${PROJECT_SOURCE_DIR}/data/icons/kairos.ico)
set(KAIROS_RC_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/kairos.manifest)
configure_file(${PROJECT_SOURCE_DIR}/data/windows/ProgramResource.rc.in ${CMAKE_CURRENT_BINARY_DIR}/ProgramResource.rc @ONLY)
target_sources(kairos PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/ProgramResource.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/ProgramResource.rc PROPERTIES
  OBJECT_DEPENDS "${KAIROS_RC_ICON};${KAIROS_RC_MANIFEST}")
# No console window behind the clock.
set_target_properties(kairos PROPERTIES WIN32_EXECUTABLE ON)

install(TARGETS kairos RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION help)
install(FILES ${PROJECT_SOURCE_DIR}/data/windows/qt.conf ${KAIROS_RC_ICON} DESTINATION .)

# Qt: the three libraries, the window-system plugin and the native style.
foreach(module Core Gui Widgets)
  install(FILES ${KAIROS_QT_WINDOWS}/bin/Qt6${module}.dll DESTINATION .)
endforeach()
install(FILES ${KAIROS_QT_WINDOWS}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${KAIROS_QT_WINDOWS}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles)
# Qt's own buttons and file dialog in Japanese: the translations are data, the
# same for every system, and come from the host's Qt of the same version.
find_file(KAIROS_QTBASE_JA qtbase_ja.qm PATHS /usr/share/qt6/translations NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
if(KAIROS_QTBASE_JA)
  install(FILES ${KAIROS_QTBASE_JA} DESTINATION translations)
else()
  message(WARNING "qtbase_ja.qm not found (Debian's qt6-translations-l10n): Qt's own texts stay English")
endif()

# Qt's libraries were built against MinGW's runtime DLLs; the program itself
# links it statically.
foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                  OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(runtime_path "${runtime_path}" REALPATH)
  if(NOT EXISTS "${runtime_path}")
    message(FATAL_ERROR "MinGW's ${runtime} is missing")
  endif()
  install(FILES ${runtime_path} DESTINATION .)
endforeach()
