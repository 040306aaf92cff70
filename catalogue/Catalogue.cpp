#include "catalogue/Catalogue.h"

#include "clean/WidePath.h"

namespace {

std::wstring Folded(const std::wstring& name) {
    std::wstring folded = name;
    if (!folded.empty())
        CharUpperBuffW(&folded[0], DWORD(folded.size()));
    return folded;
}

} // namespace

void Catalogue::AddWindowTrace(Trace trace) {
    m_indexOf.emplace(Folded(trace.name), m_traces.size());
    m_traces.push_back(std::move(trace));
    m_programOf.push_back(npos);
}

size_t Catalogue::AddProgram(Program program, std::vector<Trace> traces) {
    const size_t index = m_programs.size();
    program.traces.clear();
    for (Trace& trace : traces) {
        if (IndexOf(trace.name) != npos)
            continue;
        program.traces.push_back(m_traces.size());
        m_indexOf.emplace(Folded(trace.name), m_traces.size());
        m_traces.push_back(std::move(trace));
        m_programOf.push_back(index);
    }
    m_programs.push_back(std::move(program));
    return index;
}

size_t Catalogue::IndexOf(const std::wstring& name) const {
    const auto found = m_indexOf.find(Folded(name));
    return found == m_indexOf.end() ? npos : found->second;
}

const Program* Catalogue::ProgramOf(size_t trace) const {
    const size_t program = trace < m_programOf.size() ? m_programOf[trace] : npos;
    return program == npos ? nullptr : &m_programs[program];
}

bool Catalogue::Found(size_t trace) const {
    if (m_traces[trace].found)
        return m_traces[trace].found();
    const Program* program = ProgramOf(trace);
    return !program || Found(*program);
}
