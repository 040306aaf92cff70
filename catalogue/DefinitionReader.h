// The sections and keys of a file of cleaning definitions, read through the
// platform's profile calls (GetPrivateProfileSectionW, today's whole file in
// one call) and given the numbers of the lines they stand on, before anything
// is made of them. A line that is not key=value damages its section.
#pragma once

#include "catalogue/Definition.h"

#include <string>
#include <string_view>
#include <vector>

// Its name and value point into the text of RawDefinitions::answers.
struct RawKey {
    std::wstring_view name;
    std::wstring_view value;
    size_t line = 0;
};

struct RawSection {
    std::wstring name; // between the brackets, as written
    size_t line = 0;
    std::vector<RawKey> keys;
    // The first damaged line in it; no reason: none.
    Refusal damaged;
};

struct RawDefinitions {
    std::wstring version;
    std::vector<RawSection> sections;
    // Lines before the first section that are not comments.
    std::vector<Refusal> strayLines;
    // What the platform answered, which the keys are read from: thousands
    // of them are not copied one by one.
    std::vector<std::vector<wchar_t>> answers;
};

// Reads the file at `path`. False, with the platform's `error`, only when it
// cannot be read at all: whatever it holds, what cannot be read is damage,
// with its line number.
bool ReadDefinitions(const std::wstring& path, RawDefinitions& raw, DWORD& error);
