#include "tests/gui/ProbeClient.h"

#include "tests/gui/Desktop.h"
#include "tests/gui/DriverOptions.h"

#include <sstream>

namespace gui {

namespace {

constexpr const char* ReplyClassName = "QuenbyGuiProbeReply";

} // namespace

std::string Describe(const std::vector<MenuItem>& items) {
    std::string text;
    for (const MenuItem& item : items) {
        text += std::string(static_cast<size_t>(item.depth) * 2, ' ') + item.kind + " " +
                std::to_string(item.id) + " \"" + item.text + "\"\n";
    }
    return text;
}

ProbeClient::ProbeClient() {
    m_requestMessage = RegisterWindowMessageA(probe::RequestMessageName);
    m_probe.reset(LoadLibraryA(Options().probePath.c_str()));
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ReplyWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = ReplyClassName;
    RegisterClassA(&windowClass); // fails harmlessly when already registered
    m_replyWindow = CreateWindowExA(0, ReplyClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(m_replyWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

ProbeClient::~ProbeClient() {
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    if (m_replyWindow)
        DestroyWindow(m_replyWindow);
}

bool ProbeClient::Attach(DWORD threadId) {
    if (!m_probe || !m_replyWindow)
        return false;
    auto proc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(m_probe.get(), probe::HookProcName)));
    if (!proc)
        return false;
    if (m_hook)
        UnhookWindowsHookEx(m_hook);
    m_hook = SetWindowsHookExA(WH_CALLWNDPROC, proc, m_probe.get(), threadId);
    return m_hook != nullptr;
}

LRESULT CALLBACK ProbeClient::ReplyWindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = reinterpret_cast<ProbeClient*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) {
        auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        self->m_answer.assign(static_cast<const char*>(copy->lpData), copy->cbData);
        self->m_answered = true;
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::optional<std::string> ProbeClient::Ask(HWND window, probe::RequestKind kind) {
    if (!m_hook)
        return std::nullopt;
    m_answered = false;
    m_answer.clear();
    // The hook answers with WM_COPYDATA while this call waits; a thread that
    // waits in SendMessage still receives the messages sent to it.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, m_requestMessage, kind, reinterpret_cast<LPARAM>(m_replyWindow),
                        SMTO_ABORTIFHUNG, ShortTimeout, &ignored);
    if (!m_answered)
        return std::nullopt;
    return m_answer;
}

std::optional<std::vector<MenuItem>> ProbeClient::Menu(HWND window, probe::RequestKind kind) {
    std::optional<std::string> answer = Ask(window, kind);
    if (!answer)
        return std::nullopt;
    std::vector<MenuItem> items;
    std::istringstream lines(*answer);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        MenuItem item;
        std::string depth, id;
        std::getline(fields, depth, probe::MenuFieldSeparator);
        std::getline(fields, id, probe::MenuFieldSeparator);
        std::getline(fields, item.kind, probe::MenuFieldSeparator);
        std::getline(fields, item.text);
        item.depth = std::stoi(depth);
        item.id = static_cast<UINT>(std::stoul(id));
        items.push_back(item);
    }
    return items;
}

std::optional<std::vector<TreeItem>> ProbeClient::Tree(HWND tree) {
    std::optional<std::string> answer = Ask(tree, probe::TreeItems);
    if (!answer)
        return std::nullopt;
    std::vector<TreeItem> items;
    std::istringstream lines(*answer);
    std::string line, depth, handle, state, x, y;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        TreeItem item;
        std::getline(fields, depth, probe::TreeFieldSeparator);
        std::getline(fields, handle, probe::TreeFieldSeparator);
        std::getline(fields, state, probe::TreeFieldSeparator);
        std::getline(fields, x, ',');
        std::getline(fields, y, probe::TreeFieldSeparator);
        std::getline(fields, item.text);
        item.depth = std::stoi(depth);
        item.handle = static_cast<UINT_PTR>(std::stoull(handle));
        item.state = std::stoi(state);
        item.image = {std::stol(x), std::stol(y)};
        items.push_back(item);
    }
    return items;
}

std::optional<std::vector<std::string>> ProbeClient::ListRows(HWND list) {
    std::optional<std::string> answer = Ask(list, probe::ListRows);
    if (!answer)
        return std::nullopt;
    std::vector<std::string> rows;
    std::istringstream lines(*answer);
    std::string line;
    while (std::getline(lines, line))
        rows.push_back(line);
    return rows;
}

std::optional<POINT> ProbeClient::DialogBaseUnits(HWND dialog) {
    std::optional<std::string> answer = Ask(dialog, probe::DialogBaseUnits);
    LONG units[2] = {};
    if (!answer || answer->size() != sizeof(units))
        return std::nullopt;
    answer->copy(reinterpret_cast<char*>(units), sizeof(units));
    return POINT{units[0], units[1]};
}

std::optional<probe::IconImage> ProbeClient::Icon(HWND window, probe::RequestKind kind) {
    std::optional<std::string> answer = Ask(window, kind);
    if (!answer)
        return std::nullopt;
    std::vector<std::uint32_t> data(answer->size() / sizeof(std::uint32_t));
    answer->copy(reinterpret_cast<char*>(data.data()), data.size() * sizeof(std::uint32_t));
    return probe::DeserializeIconImage(data);
}

} // namespace gui
