#include "catalogue/TraceSet.h"

#include "catalogue/CleanTarget.h"

#include <algorithm>

TraceSet TraceSet::FromPlace(DWORD place) {
    TraceSet set;
    for (size_t trace = 0; trace < CleanTargetCount; ++trace) {
        if (place & (1u << trace))
            set.Add(trace);
    }
    return set;
}

DWORD TraceSet::Place() const {
    DWORD place = 0;
    for (size_t trace = 0; trace < CleanTargetCount; ++trace) {
        if (Has(trace))
            place |= 1u << trace;
    }
    return place;
}

void TraceSet::Add(size_t trace) {
    if (trace >= m_chosen.size())
        m_chosen.resize(trace + 1);
    m_chosen[trace] = true;
}

void TraceSet::Add(const TraceSet& other) {
    for (size_t trace = 0; trace < other.m_chosen.size(); ++trace) {
        if (other.m_chosen[trace])
            Add(trace);
    }
}

bool TraceSet::IsEmpty() const {
    return std::find(m_chosen.begin(), m_chosen.end(), true) == m_chosen.end();
}

TraceSet MoreTracesNamed(const std::vector<std::wstring>& names, std::vector<std::wstring>& unknown,
                         const Catalogue& catalogue) {
    TraceSet named;
    for (const std::wstring& name : names) {
        const size_t trace = catalogue.IndexOf(name);
        if (trace != Catalogue::npos && !catalogue.IsWindowTrace(trace))
            named.Add(trace);
        else
            unknown.push_back(name);
    }
    return named;
}

std::vector<std::wstring> MoreTraceNames(const TraceSet& selection, const Catalogue& catalogue) {
    std::vector<std::wstring> names;
    for (size_t trace = 0; trace < catalogue.Traces().size(); ++trace) {
        if (selection.Has(trace) && !catalogue.IsWindowTrace(trace))
            names.push_back(catalogue.Traces()[trace].name);
    }
    return names;
}

std::vector<std::wstring> MoreTracesToStore(const TraceSet& chosen,
                                            const std::vector<std::wstring>& stored,
                                            const Catalogue& catalogue) {
    std::vector<std::wstring> names = MoreTraceNames(chosen, catalogue);
    for (const std::wstring& name : stored) {
        if (catalogue.IndexOf(name) == Catalogue::npos)
            names.push_back(name);
    }
    return names;
}
