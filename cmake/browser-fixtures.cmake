# The browsers' own schemas and files (tests/fixtures/browsers, dumped from
# real browsers by scripts/dump-browser-fixtures.sh), made into one header in
# the build folder for the programs that build browser profiles from them:
# each file's text under its path below that folder. The header is made again
# whenever a file there changes, is added or goes.
set(QUENBY_FIXTURES_DIR ${CMAKE_SOURCE_DIR}/tests/fixtures/browsers)
set(QUENBY_FIXTURES_INCLUDE ${CMAKE_BINARY_DIR}/fixtures-include)
file(GLOB_RECURSE quenby_fixture_files CONFIGURE_DEPENDS
    ${QUENBY_FIXTURES_DIR}/*.sql ${QUENBY_FIXTURES_DIR}/*.json ${QUENBY_FIXTURES_DIR}/*.txt)
list(SORT quenby_fixture_files)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${quenby_fixture_files})

# No fixture may hold the raw string's closing sequence.
set(quenby_fixture_end ")fixture\"")
set(quenby_fixture_entries "")
foreach(path IN LISTS quenby_fixture_files)
    file(RELATIVE_PATH name ${QUENBY_FIXTURES_DIR} ${path})
    file(READ ${path} text)
    string(FIND "${text}" "${quenby_fixture_end}" clash)
    if(NOT clash EQUAL -1)
        message(FATAL_ERROR "${path} holds ${quenby_fixture_end}")
    endif()
    string(APPEND quenby_fixture_entries "    {\"${name}\", R\"fixture(${text}${quenby_fixture_end}},\n")
endforeach()
file(WRITE ${QUENBY_FIXTURES_INCLUDE}/BrowserFixtureFiles.h.new
"// Made by cmake/browser-fixtures.cmake from tests/fixtures/browsers.
#pragma once

namespace fixtures {

struct FixtureFile {
    const char* name;
    const char* text;
};

inline const FixtureFile FixtureFiles[] = {
${quenby_fixture_entries}};

} // namespace fixtures
")
# Copied only when it differs, so that an unchanged header rebuilds nothing.
configure_file(${QUENBY_FIXTURES_INCLUDE}/BrowserFixtureFiles.h.new
    ${QUENBY_FIXTURES_INCLUDE}/BrowserFixtureFiles.h COPYONLY)

add_library(quenby_browser_fixtures INTERFACE)
target_include_directories(quenby_browser_fixtures INTERFACE ${QUENBY_FIXTURES_INCLUDE})
