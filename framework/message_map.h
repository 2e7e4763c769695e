// Typed message maps. Each class keeps a static table of entries and a link to its base
// class's table; every entry macro instantiates a thunk that knows the handler's exact
// signature, so a handler of the wrong shape does not compile and no member pointer is ever
// cast to another type.
#pragma once

#include <windows.h>

#include <type_traits>

class CCmdTarget;
class CCmdUI;

// Notification codes of the command route (OnCmdMsg).
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

// What a dispatched message carries in and out of a thunk.
struct AFX_DISPATCH {
    WPARAM wParam;
    LPARAM lParam;
    void* pExtra;      // the CCmdUI of an update request
    LRESULT lResult;
};

using AFX_THUNK = void (*)(CCmdTarget* target, AFX_DISPATCH& dispatch);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;   // window message, or WM_COMMAND for the command route; 0 ends the table
    int nCode;       // CN_COMMAND or CN_UPDATE_COMMAND_UI for commands
    UINT nID;        // command id for commands
    AFX_THUNK pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

namespace afx_thunk {

template <class C>
C* Target(CCmdTarget* target) {
    static_assert(std::is_base_of<CCmdTarget, C>::value, "message handlers belong to command targets");
    return static_cast<C*>(target);
}

// One thunk family per handler signature. The primary templates are left undefined: a
// handler whose type matches no specialisation is a compile error.
template <auto F> struct Command;
template <class C, void (C::*F)()> struct Command<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH&) { (Target<C>(t)->*F)(); }
};

template <auto F> struct UpdateCommandUI;
template <class C, void (C::*F)(CCmdUI*)> struct UpdateCommandUI<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) { (Target<C>(t)->*F)(static_cast<CCmdUI*>(d.pExtra)); }
};

template <auto F> struct Message;
template <class C, LRESULT (C::*F)(WPARAM, LPARAM)> struct Message<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) { d.lResult = (Target<C>(t)->*F)(d.wParam, d.lParam); }
};

template <auto F> struct Create;
template <class C, int (C::*F)(LPCREATESTRUCT)> struct Create<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) {
        d.lResult = (Target<C>(t)->*F)(reinterpret_cast<LPCREATESTRUCT>(d.lParam));
    }
};

template <auto F> struct NoArgs;
template <class C, void (C::*F)()> struct NoArgs<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) { (Target<C>(t)->*F)(); d.lResult = 0; }
};

template <auto F> struct DropFiles;
template <class C, void (C::*F)(HDROP)> struct DropFiles<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) {
        (Target<C>(t)->*F)(reinterpret_cast<HDROP>(d.wParam));
        d.lResult = 0;
    }
};

template <auto F> struct Size;
template <class C, void (C::*F)(UINT, int, int)> struct Size<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) {
        (Target<C>(t)->*F)(static_cast<UINT>(d.wParam), static_cast<short>(LOWORD(d.lParam)),
                           static_cast<short>(HIWORD(d.lParam)));
        d.lResult = 0;
    }
};

}  // namespace afx_thunk

#define DECLARE_MESSAGE_MAP()                              \
protected:                                                 \
    static const AFX_MSGMAP* GetThisMessageMap();          \
    const AFX_MSGMAP* GetMessageMap() const override;      \
                                                           \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                              \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }       \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                       \
        using ThisClass = theClass;                                                          \
        using TheBaseClass = baseClass;                                                      \
        static_assert(std::is_base_of<TheBaseClass, ThisClass>::value, "map chains to a base"); \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {

#define END_MESSAGE_MAP()                                                                   \
            {0, 0, 0, nullptr}};                                                             \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, messageEntries}; \
        return &messageMap;                                                                  \
    }

#define ON_COMMAND(id, memberFxn) \
    {WM_COMMAND, CN_COMMAND, static_cast<UINT>(id), &afx_thunk::Command<&ThisClass::memberFxn>::Call},
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                  \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, static_cast<UINT>(id), \
     &afx_thunk::UpdateCommandUI<&ThisClass::memberFxn>::Call},
#define ON_MESSAGE(message, memberFxn) \
    {static_cast<UINT>(message), 0, 0, &afx_thunk::Message<&ThisClass::memberFxn>::Call},
#define ON_WM_CREATE() {WM_CREATE, 0, 0, &afx_thunk::Create<&ThisClass::OnCreate>::Call},
#define ON_WM_CLOSE() {WM_CLOSE, 0, 0, &afx_thunk::NoArgs<&ThisClass::OnClose>::Call},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, &afx_thunk::NoArgs<&ThisClass::OnDestroy>::Call},
#define ON_WM_DROPFILES() {WM_DROPFILES, 0, 0, &afx_thunk::DropFiles<&ThisClass::OnDropFiles>::Call},
#define ON_WM_SIZE() {WM_SIZE, 0, 0, &afx_thunk::Size<&ThisClass::OnSize>::Call},
