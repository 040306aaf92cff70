#include "app/TraceChoice.h"

TraceChoice::TraceChoice(const Catalogue& catalogue, const TraceSet& chosen)
    : m_catalogue(catalogue) {
    const std::vector<Trace>& traces = catalogue.Traces();
    for (const Program& program : catalogue.Programs())
        m_programFound.push_back(Catalogue::Found(program));
    for (size_t trace = 0; trace < traces.size(); ++trace) {
        const size_t program = catalogue.ProgramIndexOf(trace);
        const bool programFound = program == Catalogue::npos || m_programFound[program];
        m_found.push_back(traces[trace].found ? traces[trace].found() : programFound);
        m_checked.push_back(!catalogue.IsWindowTrace(trace) && chosen.Has(trace));
    }
    m_confirmed = m_checked;
}

CheckState TraceChoice::StateOf(const std::vector<size_t>& traces) const {
    bool anyFound = false;
    for (size_t trace : traces)
        anyFound = anyFound || m_found[trace];
    size_t checked = 0, counted = 0;
    for (size_t trace : traces) {
        checked += m_checked[trace];
        counted += !anyFound || m_checked[trace] || m_found[trace];
    }
    if (checked == 0)
        return CheckState::Unchecked;
    return checked == counted ? CheckState::Checked : CheckState::Mixed;
}

Toggle TraceChoice::ToggleOf(const std::vector<size_t>& traces) const {
    Toggle toggle;
    for (size_t trace : traces) {
        if (m_found[trace])
            toggle.traces.push_back(trace);
    }
    toggle.check = StateOf(toggle.traces) != CheckState::Checked;
    return toggle;
}

std::vector<size_t> TraceChoice::ToConfirm(const Toggle& toggle) const {
    std::vector<size_t> warned;
    if (!toggle.check)
        return warned;
    for (size_t trace : toggle.traces) {
        if (!m_checked[trace] && !m_confirmed[trace] &&
            !m_catalogue.Traces()[trace].warning.empty())
            warned.push_back(trace);
    }
    return warned;
}

void TraceChoice::Apply(const Toggle& toggle) {
    for (size_t trace : toggle.traces) {
        m_checked[trace] = toggle.check;
        if (toggle.check)
            m_confirmed[trace] = true;
    }
}

TraceSet TraceChoice::Chosen() const {
    TraceSet chosen;
    for (size_t trace = 0; trace < m_checked.size(); ++trace) {
        if (m_checked[trace])
            chosen.Add(trace);
    }
    return chosen;
}
