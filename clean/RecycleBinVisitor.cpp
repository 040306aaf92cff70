#include "clean/RecycleBinVisitor.h"

#include <shellapi.h>

void RecycleBinCleaning::EmptyRecycleBin(UINT flags) {
    SHEmptyRecycleBinA(nullptr, nullptr, flags);
}
