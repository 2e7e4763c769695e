// The OLE drop target of a view: registered for the view's window, it hands each drag
// that enters, moves over, leaves or drops on the window to the view's OnDragEnter,
// OnDragOver, OnDragLeave and OnDrop. It lives inside the view; the view revokes it when
// its window is destroyed, so OLE never reaches it after the window (or it) is gone.
#pragma once

#include <ole2.h>

#include "com_ptr.h"

class CView;
class CWnd;

class COleDropTarget : public IDropTarget {
public:
    COleDropTarget();
    virtual ~COleDropTarget();
    COleDropTarget(const COleDropTarget&) = delete;
    COleDropTarget& operator=(const COleDropTarget&) = delete;

    // Registers for the window of `pWnd`, which must be a view. TRUE when registered (or
    // already registered for it); a second call leaves the registration as it is.
    BOOL Register(CWnd* pWnd);
    // Ends the registration and cuts off every caller still holding this target (a drag
    // in another process). Safe to call when not registered.
    void Revoke();
    BOOL IsRegistered() const { return m_hWnd != nullptr; }

    // IUnknown. The count only tells OLE's holders apart; the owning view decides the
    // object's lifetime, so reaching zero does not delete it.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDropTarget.
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                        DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;

private:
    // The view of the registered window while it is still bound to it, or null.
    CView* TargetView() const;
    // The drag's screen position in the view's client coordinates.
    POINT ClientPoint(POINTL pt) const;

    LONG m_nRef;
    HWND m_hWnd;               // the registered window, or null
    CView* m_pView;            // the view registered with it, or null
    CComPtr<IDataObject> m_pDragData;  // the data of the drag over the window, or null
    DWORD m_dropEffectLast;    // what the view last answered while the data moved over it
};
