# Benchmarks: built here, run by scripts/run-benchmarks.sh, never by CTest
# (they measure, they do not pass or fail).
#
# quenby_bench           times the folder walk and the index-file wipe
# bench_minimal_dialog   the start-up reference: a bare modal dialog
# bench_startup          starts a dialog program and times it until its dialog
#                        is up, and from IDCANCEL until it has ended
# bench_quenby_steps     Quenby with a recorder in its step marks, for the
#                        split of its start-up and exit
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

add_executable(bench_quenby_steps WIN32 ${CMAKE_SOURCE_DIR}/app/CleanerApp.cpp bench/StepsEntry.cpp
    ${CMAKE_SOURCE_DIR}/res/Quenby.rc)
quenby_warnings(bench_quenby_steps)
add_dependencies(bench_quenby_steps comctl32_ordinals)
target_link_libraries(bench_quenby_steps PRIVATE ${QUENBY_COMCTL32_ORDINALS} quenby_app)
