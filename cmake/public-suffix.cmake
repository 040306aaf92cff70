# The Public Suffix List, built into both programs as a compact trie
# (cmake/public_suffix_trie.py): where a site starts in a host name, as
# browsers decide it. scripts/install-deps.sh puts the unmodified list in the
# cache folder; here its pinned checksum is checked again, and the trie is
# made in the build folder, never in the source tree.
set(QUENBY_PSL_SHA256 87d2e11f3602b504fc5dbea9218429a4ce3c0f62aa6ce7a1371024add024baed)
set(QUENBY_PSL_FILE ${QUENBY_SQLITE_CACHE}/public_suffix_list-20230209.dat)
quenby_check_pinned("The Public Suffix List" ${QUENBY_PSL_FILE} ${QUENBY_PSL_SHA256})
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QUENBY_PSL_INCLUDE ${CMAKE_BINARY_DIR}/public-suffix)
set(QUENBY_PSL_TRIE ${QUENBY_PSL_INCLUDE}/PublicSuffixTrie.inc)
add_custom_command(OUTPUT ${QUENBY_PSL_TRIE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUENBY_PSL_INCLUDE}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/cmake/public_suffix_trie.py
            ${QUENBY_PSL_FILE} ${QUENBY_PSL_TRIE}
    DEPENDS ${QUENBY_PSL_FILE} ${CMAKE_SOURCE_DIR}/cmake/public_suffix_trie.py
    COMMENT "Making the Public Suffix List's trie")
add_custom_target(quenby_public_suffix DEPENDS ${QUENBY_PSL_TRIE})
