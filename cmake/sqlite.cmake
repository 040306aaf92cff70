# SQLite from its own unmodified amalgamation, compiled as C into the
# programs. scripts/install-deps.sh fetches the tarball once and checks it;
# here it is checked again and unpacked into the build folder, never into
# the source tree.
set(QUENBY_SQLITE_NAME sqlite-autoconf-3520000)
set(QUENBY_SQLITE_SHA256 f6b50b0c103392af32a8be15b2b9d25959de9a00a70c3979128aafeaa5338b3f)
if(DEFINED ENV{QUENBY_CACHE})
    set(QUENBY_SQLITE_CACHE $ENV{QUENBY_CACHE})
else()
    set(QUENBY_SQLITE_CACHE $ENV{HOME}/.cache/quenby)
endif()
set(QUENBY_SQLITE_TARBALL ${QUENBY_SQLITE_CACHE}/${QUENBY_SQLITE_NAME}.tar.gz)
# Stops the configuration unless `file`, which install-deps.sh put in the
# cache folder, is there with the pinned SHA-256.
function(quenby_check_pinned what file sha256)
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "${what} ${file} is missing: run scripts/install-deps.sh")
    endif()
    file(SHA256 ${file} sum)
    if(NOT sum STREQUAL sha256)
        message(FATAL_ERROR "${file} does not have the pinned SHA-256")
    endif()
endfunction()
quenby_check_pinned("SQLite's source" ${QUENBY_SQLITE_TARBALL} ${QUENBY_SQLITE_SHA256})
set(QUENBY_SQLITE_DIR ${CMAKE_BINARY_DIR}/${QUENBY_SQLITE_NAME})
# The shell comes along for the benchmarks only (tests/bench/bench.cmake).
if(NOT EXISTS ${QUENBY_SQLITE_DIR}/shell.c)
    file(ARCHIVE_EXTRACT INPUT ${QUENBY_SQLITE_TARBALL} DESTINATION ${CMAKE_BINARY_DIR}
        PATTERNS ${QUENBY_SQLITE_NAME}/sqlite3.c ${QUENBY_SQLITE_NAME}/sqlite3.h
        ${QUENBY_SQLITE_NAME}/shell.c)
endif()

add_library(quenby_sqlite STATIC ${QUENBY_SQLITE_DIR}/sqlite3.c)
target_include_directories(quenby_sqlite SYSTEM PUBLIC ${QUENBY_SQLITE_DIR})
# One connection per thread of ours, no extensions, nothing the cleaners do
# not use (JSON, UTF-16 calls, date functions, the optimisations that only
# large queries need, the schema and flag pragmas, memory mapping);
# small rather than fast. Only options the amalgamation's generated parser
# does not depend on. Foreign keys are still parsed; their enforcement could
# never be switched on here anyway, as the flag pragmas (foreign_keys among
# them) are left out, and a connection enforces none by default.
target_compile_definitions(quenby_sqlite PUBLIC
    SQLITE_THREADSAFE=0 SQLITE_OMIT_LOAD_EXTENSION SQLITE_DEFAULT_MEMSTATUS=0
    SQLITE_OMIT_DEPRECATED SQLITE_OMIT_SHARED_CACHE SQLITE_DQS=0 SQLITE_OMIT_TRACE
    SQLITE_OMIT_JSON SQLITE_OMIT_UTF16 SQLITE_OMIT_COMPLETE SQLITE_OMIT_DECLTYPE
    SQLITE_OMIT_GET_TABLE SQLITE_OMIT_PROGRESS_CALLBACK SQLITE_OMIT_AUTHORIZATION
    SQLITE_OMIT_INTROSPECTION_PRAGMAS SQLITE_OMIT_COMPILEOPTION_DIAGS SQLITE_OMIT_DESERIALIZE
    SQLITE_OMIT_TCL_VARIABLE SQLITE_OMIT_DATETIME_FUNCS SQLITE_OMIT_INCRBLOB
    SQLITE_OMIT_SHUTDOWN_DIRECTORIES SQLITE_UNTESTABLE SQLITE_OMIT_BETWEEN_OPTIMIZATION
    SQLITE_OMIT_LIKE_OPTIMIZATION SQLITE_OMIT_OR_OPTIMIZATION SQLITE_OMIT_XFER_OPT
    SQLITE_OMIT_AUTOMATIC_INDEX SQLITE_OMIT_SCHEMA_PRAGMAS SQLITE_OMIT_SCHEMA_VERSION_PRAGMAS
    SQLITE_OMIT_CASE_SENSITIVE_LIKE_PRAGMA SQLITE_OMIT_AUTORESET SQLITE_OMIT_QUICKBALANCE
    SQLITE_OMIT_LOOKASIDE SQLITE_OMIT_FLAG_PRAGMAS SQLITE_OMIT_TRUNCATE_OPTIMIZATION
    SQLITE_OMIT_FOREIGN_KEY SQLITE_MAX_MMAP_SIZE=0)
target_compile_options(quenby_sqlite PRIVATE -Os -w)
# The 32-bit build unwinds C++ exceptions with DWARF tables, which no
# exception ever needs in SQLite's C (nothing of ours that throws is called
# from it): without them the program keeps to its size budget.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_compile_options(quenby_sqlite PRIVATE -fno-asynchronous-unwind-tables
        -fno-unwind-tables)
endif()
