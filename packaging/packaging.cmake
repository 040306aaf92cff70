# What a user gets: the install tree of one build (the programs stripped, the
# help, a short README.txt and the licence) and its portable zip, made by
# CPack. scripts/package.sh stages the same tree for the installers.
#
#   cmake --install build/win64 --prefix STAGE --strip
#   cpack --config build/win64/CPackConfig.cmake -B OUT     -> Quenby-<version>-win64.zip

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QUENBY_ARCH win64)
    set(QUENBY_ARCH_TEXT "64-bit")
else()
    set(QUENBY_ARCH win32)
    set(QUENBY_ARCH_TEXT "32-bit")
endif()

set(QUENBY_CONSOLE_LINE "")
set(quenby_programs Quenby)
if(TARGET QuenbyCmd)
    list(APPEND quenby_programs QuenbyCmd)
    set(QUENBY_CONSOLE_LINE
        "  QuenbyCmd.exe       the console program: preview and clean from scripts\n                      (run \"QuenbyCmd --help\")\n")
endif()

# Text files for Windows: CRLF line ends, so that Notepad shows their lines.
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt ${CMAKE_BINARY_DIR}/package/README.txt
    @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE.txt ${CMAKE_BINARY_DIR}/package/LICENSE.txt
    @ONLY NEWLINE_STYLE CRLF)

install(TARGETS ${quenby_programs} RUNTIME DESTINATION .)
install(FILES ${QUENBY_HELP_FILE} DESTINATION help)
install(FILES ${CMAKE_BINARY_DIR}/package/README.txt ${CMAKE_BINARY_DIR}/package/LICENSE.txt
    DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Quenby)
set(CPACK_PACKAGE_VENDOR "Marlowick software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Quenby-${PROJECT_VERSION}-${QUENBY_ARCH})
# The zip holds one folder named like the file: unzip and run from there.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
