# The two packages, made by CPack: a portable zip and a per-user installer
# made with NSIS (cmake/NSIS.template.in). scripts/package makes those of the
# win32 build, the one we ship, into build/packages/. A 64-bit build makes
# its own, with NSIS's 64-bit stub, into its own build folder: where only
# 64-bit Wine runs, its installer is the one the end-to-end tests can run.
install(TARGETS tolvex tolvexhk RUNTIME DESTINATION . LIBRARY DESTINATION .)
configure_file(docs/guide.txt generated/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/generated/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME Tolvex)
set(CPACK_PACKAGE_VENDOR "Tolvex project")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tolvex launcher bar")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tolvex)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(CPACK_PACKAGE_FILE_NAME tolvex-${PROJECT_VERSION}-win32)
  set(CPACK_PACKAGE_DIRECTORY ${CMAKE_SOURCE_DIR}/build/packages)
  set(CPACK_TOLVEX_NSIS_TARGET x86-unicode)
else()
  set(CPACK_PACKAGE_FILE_NAME tolvex-${PROJECT_VERSION}-win64)
  set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
  set(CPACK_TOLVEX_NSIS_TARGET amd64-unicode)
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_TOLVEX_ICON ${CMAKE_SOURCE_DIR}/resources/tolvex.ico)
set(CPACK_STRIP_FILES OFF)  # the targets are linked stripped already
# Our own template: a per-user install that needs no administrator rights.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/cmake)
# The installer's name differs from the zip's.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/packaging-names.cmake)
include(CPack)
# CPack installs the two programs alone: the tests need not be built for it.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
