# What a user gets: the install tree of one build (the programs stripped, the
# help, a short README.txt and the licence). scripts/package.sh stages it and
# makes the portable zip, the setup and the MSI from it; the target
# quenby_packaged builds just what the tree holds.
#
#   cmake --build build/win64 --target quenby_packaged
#   cmake --install build/win64 --prefix STAGE --strip

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

add_custom_target(quenby_packaged)
add_dependencies(quenby_packaged ${quenby_programs} quenby_help)
