// The one table of cleaning targets. Each has a stable id, its name on the
// console's command line, the string id of its label, and the code that runs
// it against a set of visitors; both programs run targets from here, in the
// table's order.
//
// The eight targets of the window's check boxes come first, with ids 0 to 7:
// an id is at once the box's offset from the first box, the bit of the
// stored selection and the place in the order of a clean run.
#pragma once

#include "clean/CleanTarget.h"
#include "clean/Visitors.h"

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

using TargetId = int;

struct Target {
    TargetId id;
    const char* name;
    UINT label;
    // Whether an item held open by another program is normal for this
    // target (and so no failure of its clean).
    bool inUseIsNormal;
    void (*run)(Visitors& visitors);
};

// The targets in the order of a clean run.
extern const Target kTargets[];
extern const size_t kTargetCount;

// The target named `name` (case ignored); null when none is.
const Target* FindTarget(const std::wstring& name);

// The target's label in the program's resources.
std::wstring TargetLabel(const Target& target);

// Whether `target` is one of the eight of the window's check boxes.
inline bool IsBoxTarget(const Target& target) {
    return target.id < CleanTargetCount;
}

// Targets chosen by id.
class TargetSet {
public:
    // The eight from the stored selection: bit i is target i.
    static TargetSet FromPlace(DWORD place);
    void Add(TargetId id) { m_bits |= Bit(id); }
    void Add(const TargetSet& other) { m_bits |= other.m_bits; }
    bool Has(TargetId id) const { return (m_bits & Bit(id)) != 0; }
    bool IsEmpty() const { return m_bits == 0; }
    // The bits of the eight, as the stored selection holds them.
    DWORD Place() const;

private:
    static unsigned long long Bit(TargetId id) { return 1ull << id; }
    unsigned long long m_bits = 0;
};

// The more traces named in `names`, separated by `separator`; blanks around a
// name do not count. A name that is no more trace is left out and added to
// `unknown`, quoted: "'bogus', 'history'".
TargetSet MoreTracesNamed(const std::wstring& names, wchar_t separator, std::wstring& unknown);
// The names of the more traces in `selection`, in the table's order,
// separated by `separator`; empty when there are none.
std::string MoreTraceNames(const TargetSet& selection, char separator);

// Runs the selected targets in the table's order with the same visitors.
void RunTargets(const TargetSet& selection, Visitors& visitors);

// Runs the selected targets in the table's order, each with the visitors
// `visitorsFor` hands out as it starts (a report of its own, say).
void RunTargets(const TargetSet& selection,
                const std::function<Visitors&(const Target& target)>& visitorsFor);
