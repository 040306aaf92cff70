# Benchmarks: built here, run by scripts/run-benchmarks.sh, never by CTest
# (they measure, they do not pass or fail).
#
# quenby_bench           times the folder walk and the index-file wipe
# bench_minimal_dialog   the start-up reference: a bare modal dialog
# bench_startup          starts a dialog program and times it until its dialog
#                        is up, and from IDCANCEL until it has ended
# bench_quenby_steps     Quenby with a recorder in its step marks, for the
#                        split of its start-up and exit
# bench_chooser          opens Quenby's "Options..." and "More traces..." and
#                        times them, and the window's answers during a preview
# bench_sqlite_shell     SQLite's own shell built for Windows from the same
#                        amalgamation (all of it): the history clean's
#                        statements under Wine, without our program around them
add_executable(quenby_bench bench/BenchMain.cpp bench/CallCounter.cpp)
quenby_warnings(quenby_bench)
target_include_directories(quenby_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(quenby_bench PRIVATE quenby_clean)

add_executable(bench_minimal_dialog WIN32 bench/MinimalDialog.cpp bench/MinimalDialog.rc)
quenby_warnings(bench_minimal_dialog)
target_include_directories(bench_minimal_dialog PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(bench_minimal_dialog PRIVATE user32)

add_executable(bench_startup bench/StartupTimer.cpp)
quenby_warnings(bench_startup)
target_include_directories(bench_startup PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(bench_startup PRIVATE user32)

add_executable(bench_chooser bench/ChooserTimer.cpp)
quenby_warnings(bench_chooser)
target_include_directories(bench_chooser PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(bench_chooser PRIVATE user32)

add_executable(bench_quenby_steps WIN32 ${CMAKE_SOURCE_DIR}/app/CleanerApp.cpp bench/StepsEntry.cpp
    ${CMAKE_SOURCE_DIR}/res/Quenby.rc)
quenby_warnings(bench_quenby_steps)
add_dependencies(bench_quenby_steps comctl32_ordinals)
target_link_libraries(bench_quenby_steps PRIVATE ${QUENBY_COMCTL32_ORDINALS} quenby_app)

add_executable(bench_sqlite_shell ${QUENBY_SQLITE_DIR}/shell.c ${QUENBY_SQLITE_DIR}/sqlite3.c)
target_compile_options(bench_sqlite_shell PRIVATE -w)
target_link_options(bench_sqlite_shell PRIVATE -municode)
# Only the benchmark script builds it, by name.
set_target_properties(bench_sqlite_shell PROPERTIES EXCLUDE_FROM_ALL TRUE)

# bench_definitions      reads the current winapp2.ini and detects its entries,
#                        and joins them to the catalogue as the chooser does
add_executable(bench_definitions bench/DefinitionsBench.cpp)
quenby_warnings(bench_definitions)
target_include_directories(bench_definitions PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(bench_definitions PRIVATE quenby_catalogue)
