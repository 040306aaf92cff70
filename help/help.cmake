# The user help file: compiles the HTML sources of this folder into
# ${CMAKE_BINARY_DIR}/help/Quenby.chm, the place beside Quenby.exe where
# "Help topics..." looks for it, and checks the result (every topic inside,
# contents and index complete, no broken links). The compiler's time stamps in
# the file are zeroed, so that the same sources give the same bytes.
#
#   include(help/help.cmake)
#
# QUENBY_HELP_FILE names the compiled file; the target quenby_help builds it.

find_program(QUENBY_CHMCMD chmcmd DOC "CHM compiler (Debian package fp-utils)")
find_program(QUENBY_CHMLS chmls DOC "CHM lister, used to check the help file (fp-utils)")
foreach(tool QUENBY_CHMCMD QUENBY_CHMLS)
    if(NOT ${tool})
        message(FATAL_ERROR
            "The help file needs chmcmd and chmls, which were not found: "
            "install the Debian package fp-utils, or set ${tool} to the program.")
    endif()
endforeach()

set(QUENBY_HELP_FILE ${CMAKE_BINARY_DIR}/help/Quenby.chm)

# chmcmd writes the .chm beside the project file, so it compiles a copy of the
# sources in a folder of its own; a stale file there can never slip in.
set(quenby_help_stage ${CMAKE_BINARY_DIR}/help-src)
file(GLOB quenby_help_sources LIST_DIRECTORIES false CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_LIST_DIR}/*)

# The file is checked before it is moved into place, so a help file that fails
# the check never stands at the output path to look up to date.
add_custom_command(OUTPUT ${QUENBY_HELP_FILE}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${quenby_help_stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${quenby_help_stage}
    COMMAND ${CMAKE_COMMAND} -E copy ${quenby_help_sources} ${quenby_help_stage}
    COMMAND ${CMAKE_COMMAND} -E chdir ${quenby_help_stage} ${QUENBY_CHMCMD} Quenby.hhp
    COMMAND ${CMAKE_COMMAND} -E env CHMLS=${QUENBY_CHMLS}
            bash ${quenby_help_stage}/zero-chm-times.sh ${quenby_help_stage}/Quenby.chm
    COMMAND ${CMAKE_COMMAND} -E env CHMLS=${QUENBY_CHMLS}
            bash ${quenby_help_stage}/check-chm.sh ${quenby_help_stage}/Quenby.chm
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/help
    COMMAND ${CMAKE_COMMAND} -E rename ${quenby_help_stage}/Quenby.chm ${QUENBY_HELP_FILE}
    DEPENDS ${quenby_help_sources}
    COMMENT "Compiling and checking the help file Quenby.chm"
    VERBATIM)

add_custom_target(quenby_help ALL DEPENDS ${QUENBY_HELP_FILE})
