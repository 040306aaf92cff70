// Traces chosen by their index in the catalogue, as many as it holds; and the
// chosen more traces by name, as the settings store them.
#pragma once

#include "catalogue/Catalogue.h"

#include <windows.h>

#include <string>
#include <vector>

class TraceSet {
public:
    // The window's eight from the stored selection: bit i is trace i.
    static TraceSet FromPlace(DWORD place);
    // The bits of the window's eight, as the stored selection holds them.
    DWORD Place() const;

    void Add(size_t trace);
    void Add(const TraceSet& other);
    bool Has(size_t trace) const { return trace < m_chosen.size() && m_chosen[trace]; }
    bool IsEmpty() const;

private:
    std::vector<bool> m_chosen;
};

// The more traces named in `names` (case ignored). A name that no more trace
// has (unknown here, or one of the window's eight) is left out and added to
// `unknown`.
TraceSet MoreTracesNamed(const std::vector<std::wstring>& names, std::vector<std::wstring>& unknown,
                         const Catalogue& catalogue = Catalogue::BuiltIn());
// The names of the more traces in `selection`, in the catalogue's order.
std::vector<std::wstring> MoreTraceNames(const TraceSet& selection,
                                         const Catalogue& catalogue = Catalogue::BuiltIn());
// The names to store for the choice `chosen`: its own, then those of `stored`
// that the catalogue does not know (their definitions may come back), so that
// a choice made now keeps them.
std::vector<std::wstring> MoreTracesToStore(const TraceSet& chosen,
                                            const std::vector<std::wstring>& stored,
                                            const Catalogue& catalogue = Catalogue::BuiltIn());
