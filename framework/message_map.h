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

// Mouse messages: key flags and the point in client coordinates.
template <auto F> struct Mouse;
template <class C, void (C::*F)(UINT, POINT)> struct Mouse<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) {
        const POINT point{static_cast<short>(LOWORD(d.lParam)), static_cast<short>(HIWORD(d.lParam))};
        (Target<C>(t)->*F)(static_cast<UINT>(d.wParam), point);
        d.lResult = 0;
    }
};

template <auto F> struct NcCalcSize;
template <class C, void (C::*F)(BOOL, NCCALCSIZE_PARAMS*)> struct NcCalcSize<F> {
    // Without bCalcValidRects the parameter is a bare RECT, the first member of the record.
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) {
        (Target<C>(t)->*F)(static_cast<BOOL>(d.wParam), reinterpret_cast<NCCALCSIZE_PARAMS*>(d.lParam));
        d.lResult = 0;
    }
};

template <auto F> struct NcPaint;
template <class C, void (C::*F)(HRGN)> struct NcPaint<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) {
        (Target<C>(t)->*F)(reinterpret_cast<HRGN>(d.wParam));
        d.lResult = 0;
    }
};

template <auto F> struct Timer;
template <class C, void (C::*F)(UINT_PTR)> struct Timer<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) {
        (Target<C>(t)->*F)(static_cast<UINT_PTR>(d.wParam));
        d.lResult = 0;
    }
};

template <auto F> struct WindowPos;
template <class C, void (C::*F)(WINDOWPOS*)> struct WindowPos<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) {
        (Target<C>(t)->*F)(reinterpret_cast<WINDOWPOS*>(d.lParam));
        d.lResult = 0;
    }
};

// Messages that name another window: WM_CAPTURECHANGED (lParam), WM_KILLFOCUS (wParam).
template <auto F> struct WindowInLParam;
template <class C, void (C::*F)(HWND)> struct WindowInLParam<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) {
        (Target<C>(t)->*F)(reinterpret_cast<HWND>(d.lParam));
        d.lResult = 0;
    }
};
template <auto F> struct WindowInWParam;
template <class C, void (C::*F)(HWND)> struct WindowInWParam<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) {
        (Target<C>(t)->*F)(reinterpret_cast<HWND>(d.wParam));
        d.lResult = 0;
    }
};

template <auto F> struct EraseBkgnd;
template <class C, BOOL (C::*F)(HDC)> struct EraseBkgnd<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) { d.lResult = (Target<C>(t)->*F)(reinterpret_cast<HDC>(d.wParam)); }
};

template <auto F> struct ParentNotify;
template <class C, void (C::*F)(UINT, LPARAM)> struct ParentNotify<F> {
    static void Call(CCmdTarget* t, AFX_DISPATCH& d) {
        (Target<C>(t)->*F)(static_cast<UINT>(d.wParam), d.lParam);
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
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &afx_thunk::NoArgs<&ThisClass::OnPaint>::Call},
#define ON_WM_SYSCOLORCHANGE() {WM_SYSCOLORCHANGE, 0, 0, &afx_thunk::NoArgs<&ThisClass::OnSysColorChange>::Call},
#define ON_WM_NCCALCSIZE() {WM_NCCALCSIZE, 0, 0, &afx_thunk::NcCalcSize<&ThisClass::OnNcCalcSize>::Call},
#define ON_WM_NCPAINT() {WM_NCPAINT, 0, 0, &afx_thunk::NcPaint<&ThisClass::OnNcPaint>::Call},
#define ON_WM_MOUSEMOVE() {WM_MOUSEMOVE, 0, 0, &afx_thunk::Mouse<&ThisClass::OnMouseMove>::Call},
#define ON_WM_LBUTTONDOWN() {WM_LBUTTONDOWN, 0, 0, &afx_thunk::Mouse<&ThisClass::OnLButtonDown>::Call},
#define ON_WM_LBUTTONUP() {WM_LBUTTONUP, 0, 0, &afx_thunk::Mouse<&ThisClass::OnLButtonUp>::Call},
#define ON_WM_TIMER() {WM_TIMER, 0, 0, &afx_thunk::Timer<&ThisClass::OnTimer>::Call},
#define ON_WM_WINDOWPOSCHANGING() \
    {WM_WINDOWPOSCHANGING, 0, 0, &afx_thunk::WindowPos<&ThisClass::OnWindowPosChanging>::Call},
#define ON_WM_CAPTURECHANGED() \
    {WM_CAPTURECHANGED, 0, 0, &afx_thunk::WindowInLParam<&ThisClass::OnCaptureChanged>::Call},
#define ON_WM_KILLFOCUS() {WM_KILLFOCUS, 0, 0, &afx_thunk::WindowInWParam<&ThisClass::OnKillFocus>::Call},
#define ON_WM_PARENTNOTIFY() {WM_PARENTNOTIFY, 0, 0, &afx_thunk::ParentNotify<&ThisClass::OnParentNotify>::Call},
#define ON_WM_ERASEBKGND() {WM_ERASEBKGND, 0, 0, &afx_thunk::EraseBkgnd<&ThisClass::OnEraseBkgnd>::Call},
