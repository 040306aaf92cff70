# One line per unit-test executable: name, then the libraries it tests.
# The resource script is linked into ResourceTest so that it can read the
# compiled resources from its own module.
set(QUENBY_TEST_EXTRA_ResourceTest ${CMAKE_SOURCE_DIR}/res/Quenby.rc)
quenby_unit_test(ResourceTest quenby_platform version)
quenby_unit_test(RegistryCleanerTest quenby_clean)
quenby_unit_test(FolderCleanerTest quenby_clean)
# Jump lists that Windows wrote, read where they lie in the source tree.
target_compile_definitions(FolderCleanerTest PRIVATE
    QUENBY_JUMPLIST_FIXTURES="${CMAKE_SOURCE_DIR}/tests/fixtures/jumplists")
# The cleaning definitions are the catalogue's too, read from a fixture of our
# own; the catalogue's texts are the console program's resources.
set(QUENBY_TEST_EXTRA_CleanerTest ${CMAKE_SOURCE_DIR}/tests/unit/DefinitionsTest.cpp
    ${CMAKE_SOURCE_DIR}/console/QuenbyCmd.rc)
quenby_unit_test(CleanerTest quenby_catalogue quenby_browser_fixtures shlwapi)
target_compile_definitions(CleanerTest PRIVATE
    QUENBY_DEFINITIONS_FIXTURE="${CMAKE_SOURCE_DIR}/tests/fixtures/definitions/winapp2.ini")
quenby_unit_test(ProtectedStorageTest quenby_clean)
set(QUENBY_TEST_EXTRA_FrameworkTest ${CMAKE_SOURCE_DIR}/tests/unit/FrameworkTest.rc)
quenby_unit_test(FrameworkTest quenby_framework)
quenby_unit_test(SettingsTest quenby_settings)
set(QUENBY_TEST_EXTRA_AppTest ${CMAKE_SOURCE_DIR}/res/Quenby.rc)
quenby_unit_test(AppTest quenby_app shlwapi)
quenby_unit_test(BrowserPaneTest quenby_adpane)
