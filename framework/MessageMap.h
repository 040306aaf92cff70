// Static message maps: a table per class that reads "this message goes to
// that handler", searched from the most derived class towards CCmdTarget.
//
//   // in the header                   // in the source
//   class CMyDlg : public CDialog {    BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//       ...                                ON_WM_PAINT()
//   protected:                             ON_BN_CLICKED(IDC_GO, &CMyDlg::OnGo)
//       void OnPaint();                    ON_COMMAND(ID_SAVE, &CMyDlg::OnSave)
//       void OnGo();                       ON_MESSAGE(WM_MYNOTE, &CMyDlg::OnMyNote)
//       void OnSave();                 END_MESSAGE_MAP()
//       LRESULT OnMyNote(WPARAM, LPARAM);
//       DECLARE_MESSAGE_MAP()
//   };
//
// Handlers are plain (non-virtual) members named as the entry says. Each entry
// holds a small thunk compiled inside the class's own map, so a handler with
// the wrong signature does not compile, and protected or private handlers are
// fine. Handlers are named as `&Class::Handler`. The ON_WM_... entries call
// the handler of that name as seen from the map's class; CWnd supplies each
// one with default processing, so a class can map a message and call the base
// handler for the cases it does not consume.
//
// The first entry that matches wins, and the class's own map is searched
// before its base's, so a derived class overrides a base entry by listing the
// same message or command. Unmatched messages get default processing.
#pragma once

#include <windows.h>

#include <type_traits>

class CCmdTarget;

// Notification code of WM_COMMAND for menu items and accelerators. BN_CLICKED
// has the same value, so a button click also reaches an ON_COMMAND entry.
constexpr UINT CN_COMMAND = 0;

// Calls the handler of one entry with the message's arguments; the result is
// what the window procedure returns for the message.
using AFX_PMSG = LRESULT (*)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message
    UINT nCode;    // WM_COMMAND only: notification code
    UINT nID;      // WM_COMMAND only: first command or control id
    UINT nLastID;  // WM_COMMAND only: last id of the range (nID for one id)
    AFX_PMSG pfn;  // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)(); // null for the root map
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The macros below are laid out by hand.
// clang-format off

// Leaves the class declaration in protected access.
#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

// Opens the map. Inside it, ThisClass names the class and TheBaseClass its base.
#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    {0, 0, 0, 0, nullptr}};                                                                        \
    static_assert(std::is_base_of<TheBaseClass, ThisClass>::value,                                 \
                  "the base named in BEGIN_MESSAGE_MAP is not a base of the class");               \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, messageEntries};       \
    return &messageMap;                                                                            \
    }

// A thunk whose body sees `self` (the map's class), `wParam` and `lParam`.
#define AFX_MSG_THUNK(body)                                                                        \
    [](CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam) -> LRESULT {                             \
        ThisClass* self = static_cast<ThisClass*>(pTarget);                                        \
        (void)wParam;                                                                              \
        (void)lParam;                                                                              \
        body                                                                                       \
    }

// The member function pointer, checked against the signature the entry calls.
#define AFX_HANDLER(signature, memberFn) (self->*static_cast<signature>(memberFn))

// void memberFn()
#define ON_COMMAND(id, memberFn)                                                                   \
    {WM_COMMAND, CN_COMMAND, static_cast<UINT>(id), static_cast<UINT>(id),                         \
     AFX_MSG_THUNK(AFX_HANDLER(void (ThisClass::*)(), memberFn)(); return 0;)},

// void memberFn(UINT nID): one handler for the commands first..last.
#define ON_COMMAND_RANGE(idFirst, idLast, memberFn)                                                \
    {WM_COMMAND, CN_COMMAND, static_cast<UINT>(idFirst), static_cast<UINT>(idLast),                \
     AFX_MSG_THUNK(AFX_HANDLER(void (ThisClass::*)(UINT), memberFn)(LOWORD(wParam)); return 0;)},

// void memberFn()
#define ON_BN_CLICKED(id, memberFn)                                                                \
    {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), static_cast<UINT>(id),                         \
     AFX_MSG_THUNK(AFX_HANDLER(void (ThisClass::*)(), memberFn)(); return 0;)},

// void memberFn(): the selection of a combo box changed.
#define ON_CBN_SELCHANGE(id, memberFn)                                                             \
    {WM_COMMAND, CBN_SELCHANGE, static_cast<UINT>(id), static_cast<UINT>(id),                      \
     AFX_MSG_THUNK(AFX_HANDLER(void (ThisClass::*)(), memberFn)(); return 0;)},

// LRESULT memberFn(WPARAM, LPARAM): any message, typically a private one.
#define ON_MESSAGE(message, memberFn)                                                              \
    {static_cast<UINT>(message), 0, 0, 0,                                                          \
     AFX_MSG_THUNK(return AFX_HANDLER(LRESULT (ThisClass::*)(WPARAM, LPARAM), memberFn)(wParam,    \
                                                                                        lParam);)},

// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0, 0,                                                                       \
     AFX_MSG_THUNK(AFX_HANDLER(void (ThisClass::*)(UINT, LPARAM), &ThisClass::OnSysCommand)(       \
                       static_cast<UINT>(wParam), lParam);                                         \
                   return 0;)},

// void OnPaint()
#define ON_WM_PAINT()                                                                              \
    {WM_PAINT, 0, 0, 0,                                                                            \
     AFX_MSG_THUNK(AFX_HANDLER(void (ThisClass::*)(), &ThisClass::OnPaint)(); return 0;)},

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, 0,                                                                    \
     AFX_MSG_THUNK(return reinterpret_cast<LRESULT>(                                               \
         AFX_HANDLER(HCURSOR (ThisClass::*)(), &ThisClass::OnQueryDragIcon)());)},

// void OnDestroy()
#define ON_WM_DESTROY()                                                                            \
    {WM_DESTROY, 0, 0, 0,                                                                          \
     AFX_MSG_THUNK(AFX_HANDLER(void (ThisClass::*)(), &ThisClass::OnDestroy)(); return 0;)},

// BOOL OnQueryEndSession(): TRUE lets the shutdown or log-off go on.
#define ON_WM_QUERYENDSESSION()                                                                    \
    {WM_QUERYENDSESSION, 0, 0, 0,                                                                  \
     AFX_MSG_THUNK(return AFX_HANDLER(BOOL (ThisClass::*)(), &ThisClass::OnQueryEndSession)();)},

// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                                                                              \
    {WM_TIMER, 0, 0, 0,                                                                            \
     AFX_MSG_THUNK(AFX_HANDLER(void (ThisClass::*)(UINT_PTR), &ThisClass::OnTimer)(wParam);        \
                   return 0;)},

// clang-format on
