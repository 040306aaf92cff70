// The community's cleaning definitions (winapp2.ini), which the user brings:
// where Quenby finds the file, what it makes of it, and how its entries join
// the catalogue as traces of their own, one program per category.
//
// Quenby reads the file beside the program (a portable copy) when there is
// one, else the one in %APPDATA%\Quenby. Only a file that nobody but the
// administrators could have written runs rules outside the user's own
// profile folders and HKCU: an elevated clean must not carry out what a
// program without administrator rights planted.
#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/DefinitionChecks.h"
#include "platform/Handles.h"

#include <memory>
#include <string>

// The start of each trace's console name: "winapp2:Notepad++".
extern const wchar_t DefinitionPrefix[];
// The file's name, beside the program and in %APPDATA%\Quenby.
extern const wchar_t DefinitionFileName[];

// A file read and checked, with what its runs and detection need.
struct LoadedDefinitions {
    DefinitionFile file;
    DefinitionContext context;
};

// Where the definitions are: the file beside the program, else the one in
// %APPDATA%\Quenby; empty when neither exists. `trusted` says whether only
// administrators could have written it (never so in %APPDATA%).
std::wstring FindDefinitionFile(bool& trusted);

// Reads and checks the file at `path`; null, with the platform's `error`,
// when it cannot be read. Nothing in the file can make this fail otherwise:
// what cannot be read is refused with its line number.
std::shared_ptr<const LoadedDefinitions> LoadDefinitions(const std::wstring& path, bool trusted,
                                                         DWORD& error);

// The definitions of this process: found and read at the first call; null
// when there is no file or it cannot be read (`error` says why, 0 for none).
std::shared_ptr<const LoadedDefinitions> ProcessDefinitions(DWORD* error = nullptr);

// Adds every entry that runs as a trace of its own, under a program named by
// its category; the categories in the order of their names, the entries in
// the file's order.
void AddDefinitions(Catalogue& catalogue, const std::shared_ptr<const LoadedDefinitions>& loaded);

// Whether the entry is found on this PC: its Windows version fits DetectOS,
// and one of its Detect keys, DetectFile paths or SpecialDetect browsers
// exists; an entry without detection always is.
bool DefinitionFound(const Definition& entry, const DefinitionContext& context);

// Runs the entry's rules with the visitors: the folder walk for its files,
// the registry visitor for its keys and values, its exclusions spared.
void RunDefinition(const Definition& entry, const DefinitionContext& context, Visitors& visitors);

// Builds the process's catalogue (Catalogue::BuiltIn(), the definitions'
// entries with it) on a worker thread from construction, when a definitions
// file exists, so that the window's thread does not read the file when the
// chooser first opens: whoever needs the catalogue meanwhile (the chooser,
// a clean, the saved selection) waits for this read instead of starting its
// own. The destructor stops the worker at the next of a few points (a read
// that nobody will use must not hold up the exit) and waits for it, so
// nothing it uses is torn down while it runs. Without a file, or when no
// thread can be made, the catalogue is built where it is first needed.
class CataloguePreload {
public:
    CataloguePreload();
    ~CataloguePreload();
    CataloguePreload(const CataloguePreload&) = delete;
    CataloguePreload& operator=(const CataloguePreload&) = delete;

private:
    static DWORD WINAPI ThreadMain(void*);

    platform::UniqueHandle m_thread;
};
