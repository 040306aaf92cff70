# The end-to-end driver: a GoogleTest program that starts the real Quenby.exe
# and works it from outside, and the probe DLL it hooks into the program to
# read menus, dialog units and icons, which Wine keeps private to a process,
# and into the shell to see the program's notification-area requests.
add_library(quenby_gui_probe SHARED gui/GuiProbe.cpp)
set_target_properties(quenby_gui_probe PROPERTIES PREFIX "" OUTPUT_NAME GuiProbe)
quenby_warnings(quenby_gui_probe)
target_include_directories(quenby_gui_probe PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(quenby_gui_probe PRIVATE user32 gdi32)
# Export the hook procedure by its plain name, without the @12 of stdcall.
target_link_options(quenby_gui_probe PRIVATE -Wl,--kill-at)

file(GLOB quenby_driver_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/gui/*.cpp)
list(REMOVE_ITEM quenby_driver_sources ${CMAKE_CURRENT_SOURCE_DIR}/gui/GuiProbe.cpp)
add_executable(quenby_driver ${quenby_driver_sources})
quenby_warnings(quenby_driver)
target_include_directories(quenby_driver PRIVATE ${CMAKE_SOURCE_DIR})
# The console program's JSON is read back with the same JSON library.
target_include_directories(quenby_driver SYSTEM PRIVATE ${QUENBY_JSON_INCLUDE})
# The browser profiles it seeds are made with the programs' own SQLite.
target_link_libraries(quenby_driver PRIVATE quenby_clean quenby_browser_fixtures gtest user32 gdi32 advapi32 shell32 shlwapi)
# Jump lists that Windows wrote, read where they lie in the source tree.
target_compile_definitions(quenby_driver PRIVATE
    QUENBY_JUMPLIST_FIXTURES=L"${CMAKE_SOURCE_DIR}/tests/fixtures/jumplists")
# The driver loads the probe from its own folder.
add_dependencies(quenby_driver quenby_gui_probe)

# The runner starts Wine's virtual desktop itself, so this is not run through
# the cross-compiling emulator.
if(TARGET Quenby)
    add_test(NAME QuenbyGui
        COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/gui/run-gui.sh
            $<TARGET_FILE:quenby_driver> $<TARGET_FILE:Quenby>)
    set_tests_properties(QuenbyGui PROPERTIES TIMEOUT 900)
endif()
