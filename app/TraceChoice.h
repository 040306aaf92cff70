// What the chooser holds while it is open: which more traces are checked,
// which of them the user may change, and which warnings the user has
// confirmed. A trace not found on this PC keeps its stored choice; a trace
// checked already, or whose warning was confirmed once, asks no more.
#pragma once

#include "catalogue/TraceSet.h"

#include <vector>

enum class CheckState { Unchecked, Checked, Mixed };

// What a toggle of some traces does: checks or clears these.
struct Toggle {
    bool check = false;
    std::vector<size_t> traces;
};

class TraceChoice {
public:
    // Finds every program once (a quick look at the disk and registry each).
    TraceChoice(const Catalogue& catalogue, const TraceSet& chosen);

    bool ProgramFound(size_t program) const { return m_programFound[program]; }
    // Whether the user may change the trace: it is found on this PC.
    bool Changeable(size_t trace) const { return m_found[trace]; }
    bool Checked(size_t trace) const { return m_checked[trace]; }

    // Checked when every trace is, unchecked when none is, mixed otherwise.
    // Beside traces found, one not found counts only when checked (its stored
    // choice): checking all that can be checked shows a program checked.
    CheckState StateOf(const std::vector<size_t>& traces) const;

    // A toggle of the changeable ones among `traces`: clears them when they
    // are all checked, else checks them all. Nothing when none is changeable.
    Toggle ToggleOf(const std::vector<size_t>& traces) const;
    // The traces that the toggle checks whose warning has not been confirmed.
    std::vector<size_t> ToConfirm(const Toggle& toggle) const;
    // Makes the toggle; the warnings of what it checks count as confirmed.
    void Apply(const Toggle& toggle);

    // The more traces checked now, found or not.
    TraceSet Chosen() const;

private:
    const Catalogue& m_catalogue;
    std::vector<bool> m_programFound;
    std::vector<bool> m_found;
    std::vector<bool> m_checked;
    std::vector<bool> m_confirmed;
};
