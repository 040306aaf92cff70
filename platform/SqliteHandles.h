// Owners of SQLite's connection and statement handles, stamped from the same
// template as the Win32 handles (Handles.h): no function ever closes or
// finalizes one by hand.
#pragma once

#include "platform/Handles.h"

#include <sqlite3.h>

namespace platform {

namespace detail {
// sqlite3_close_v2 defers the close until the last statement is finalized,
// so the order in which owners go does not matter.
inline void CloseDatabase(sqlite3* db) {
    sqlite3_close_v2(db);
}
inline void FinalizeStatement(sqlite3_stmt* statement) {
    sqlite3_finalize(statement);
}
} // namespace detail

using UniqueDatabase = UniqueAny<detail::NullTraits<sqlite3*, detail::CloseDatabase>>;
using UniqueStatement = UniqueAny<detail::NullTraits<sqlite3_stmt*, detail::FinalizeStatement>>;

} // namespace platform
