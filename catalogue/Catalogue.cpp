#include "catalogue/Catalogue.h"

#include "clean/WidePath.h"

void Catalogue::AddWindowTrace(Trace trace) {
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
        m_traces.push_back(std::move(trace));
        m_programOf.push_back(index);
    }
    m_programs.push_back(std::move(program));
    return index;
}

size_t Catalogue::IndexOf(const std::wstring& name) const {
    for (size_t i = 0; i < m_traces.size(); ++i) {
        if (WidePath::NameIs(name.c_str(), m_traces[i].name.c_str()))
            return i;
    }
    return npos;
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
