// The catalogue: every trace Quenby can clean, and the programs they belong
// to. Both programs choose, list and run traces from here; the engine below
// (clean/, moretraces/) knows how to remove things, not which programs exist.
//
// The window's eight come first, with indexes 0 to 7 (their CleanTarget ids)
// and no program. Then each program's traces, in the order of a clean run.
#pragma once

#include "clean/Visitors.h"

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

struct Trace {
    // The console's name: unique, case ignored ("chrome-history").
    std::wstring name;
    // In the console, the reports and the window's lines ("Chrome: history").
    std::wstring label;
    // Under its program's name in a chooser ("History").
    std::wstring itemLabel;
    // What goes and what stays, in words.
    std::wstring goes;
    std::wstring stays;
    // What the user loses ("You will be signed out of web sites."); empty: nothing.
    std::wstring warning;
    // Whether an item held open by another program is normal here (and so
    // no failure of the clean).
    bool inUseIsNormal = false;
    std::function<void(Visitors& visitors)> run;
    // Whether it is found on this PC, for a trace that says so itself; null:
    // as its program.
    std::function<bool()> found;
};

struct Program {
    // A short key ("chrome").
    std::string key;
    // As people know it ("Google Chrome").
    std::wstring name;
    // Where a chooser groups it ("Browsers").
    std::wstring category;
    // Whether it is found on this PC (a folder, file or key exists); quick.
    std::function<bool()> found;
    // Its traces, as indexes into Catalogue::Traces(), in the order of a clean.
    std::vector<size_t> traces;
    // A chooser lists its traces not found on this PC only beside the
    // programs not installed: a category of the definitions holds hundreds
    // of programs' entries, of which a PC has a few.
    bool hidesMissingTraces = false;
};

class Catalogue {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    // The window's eight, then the browsers and Windows, then the entries of
    // the user's cleaning definitions (catalogue/Definitions.h). Built at the
    // first call, labels and descriptions loaded from the resources then.
    static const Catalogue& BuiltIn();
    // A new catalogue of the built-in traces alone, without the definitions.
    static Catalogue BuiltInTraces();

    // One of the window's eight, before any program: its index is its id.
    void AddWindowTrace(Trace trace);
    // A program and its traces, after every trace added so far. A trace whose
    // name is taken already is left out. Answers the program's index.
    size_t AddProgram(Program program, std::vector<Trace> traces);

    const std::vector<Trace>& Traces() const { return m_traces; }
    const std::vector<Program>& Programs() const { return m_programs; }

    // The index of the trace named `name` (case ignored); npos when none is.
    size_t IndexOf(const std::wstring& name) const;
    // The program of a trace; null for the window's eight.
    const Program* ProgramOf(size_t trace) const;
    // The index of the program of a trace; npos for the window's eight.
    size_t ProgramIndexOf(size_t trace) const {
        return trace < m_programOf.size() ? m_programOf[trace] : npos;
    }
    bool IsWindowTrace(size_t trace) const { return ProgramOf(trace) == nullptr; }
    // Whether the trace is found on this PC; the window's eight always are.
    bool Found(size_t trace) const;
    // Whether the program is found on this PC; one that cannot tell is.
    static bool Found(const Program& program) { return !program.found || program.found(); }

private:
    std::vector<Trace> m_traces;
    std::vector<Program> m_programs;
    // For each trace, the index of its program; npos for the window's eight.
    std::vector<size_t> m_programOf;
    // Each trace's name in upper case, to its index: thousands of names are
    // looked up as they are added.
    std::unordered_map<std::wstring, size_t> m_indexOf;
};

// A string of the program's resources; empty for id 0 or a missing one.
std::wstring CatalogueText(UINT id);
