# The two packages of the win32 build, made by CPack: a portable zip and a
# per-user installer made with NSIS (cmake/NSIS.template.in). scripts/package
# makes both into build/packages/.
install(TARGETS tolvex tolvexhk RUNTIME DESTINATION . LIBRARY DESTINATION .)
configure_file(docs/guide.txt generated/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/generated/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME Tolvex)
set(CPACK_PACKAGE_VENDOR "Tolvex project")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tolvex launcher bar")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tolvex)
set(CPACK_PACKAGE_FILE_NAME tolvex-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_SOURCE_DIR}/build/packages)
set(CPACK_TOLVEX_ICON ${CMAKE_SOURCE_DIR}/resources/tolvex.ico)
set(CPACK_STRIP_FILES OFF)  # the targets are linked stripped already
# Our own template: a per-user install that needs no administrator rights.
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/cmake)
# The installer's name differs from the zip's.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/packaging-names.cmake)
include(CPack)
