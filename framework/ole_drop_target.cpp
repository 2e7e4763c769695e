#include "ole_drop_target.h"

#include "ole_data_object.h"
#include "view.h"

COleDropTarget::COleDropTarget()
    : m_nRef(0), m_hWnd(nullptr), m_pView(nullptr), m_pDragData(), m_dropEffectLast(DROPEFFECT_NONE) {}

COleDropTarget::~COleDropTarget() { Revoke(); }

BOOL COleDropTarget::Register(CWnd* pWnd) {
    if (pWnd == nullptr || pWnd->GetSafeHwnd() == nullptr || !pWnd->IsKindOf(RUNTIME_CLASS(CView))) return FALSE;
    if (m_hWnd != nullptr) return m_hWnd == pWnd->GetSafeHwnd() ? TRUE : FALSE;
    if (FAILED(::RegisterDragDrop(pWnd->GetSafeHwnd(), this))) return FALSE;
    m_hWnd = pWnd->GetSafeHwnd();
    m_pView = static_cast<CView*>(pWnd);
    m_pView->m_pDropTarget = this;
    return TRUE;
}

void COleDropTarget::Revoke() {
    m_pDragData.Release();
    if (m_pView != nullptr && m_pView->m_pDropTarget == this) m_pView->m_pDropTarget = nullptr;
    m_pView = nullptr;
    if (m_hWnd == nullptr) return;
    ::RevokeDragDrop(m_hWnd);
    m_hWnd = nullptr;
    // A drag in another process may still hold us through a stub; after this it gets an
    // error instead of reaching an object that is about to go.
    ::CoDisconnectObject(static_cast<IDropTarget*>(this), 0);
}

CView* COleDropTarget::TargetView() const {
    if (m_hWnd == nullptr || CWnd::FromHandlePermanent(m_hWnd) != m_pView) return nullptr;
    return m_pView;
}

POINT COleDropTarget::ClientPoint(POINTL pt) const {
    POINT point{pt.x, pt.y};
    if (m_hWnd != nullptr) ::ScreenToClient(m_hWnd, &point);
    return point;
}

HRESULT COleDropTarget::QueryInterface(REFIID riid, void** ppvObject) {
    if (ppvObject == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *ppvObject = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG COleDropTarget::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_nRef)); }

ULONG COleDropTarget::Release() { return static_cast<ULONG>(::InterlockedDecrement(&m_nRef)); }

// No C++ exception may unwind into OLE's frames: a failing view call ends the drag.
HRESULT COleDropTarget::DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) {
    if (pdwEffect == nullptr) return E_INVALIDARG;
    const DWORD allowed = *pdwEffect;
    *pdwEffect = DROPEFFECT_NONE;
    m_pDragData.Release();
    m_dropEffectLast = DROPEFFECT_NONE;
    CView* pView = TargetView();
    if (pView == nullptr || pDataObj == nullptr) return S_OK;
    // DragOver brings no data: keep this drag's until it leaves or drops.
    m_pDragData = CComPtr<IDataObject>(pDataObj);
    try {
        COleDataObject data(pDataObj);
        m_dropEffectLast = pView->OnDragEnter(&data, grfKeyState, ClientPoint(pt)) & allowed;
    } catch (...) {
        return E_UNEXPECTED;
    }
    *pdwEffect = m_dropEffectLast;
    return S_OK;
}

HRESULT COleDropTarget::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) {
    if (pdwEffect == nullptr) return E_INVALIDARG;
    const DWORD allowed = *pdwEffect;
    *pdwEffect = DROPEFFECT_NONE;
    CView* pView = TargetView();
    if (pView == nullptr || !m_pDragData) return S_OK;
    try {
        COleDataObject data(m_pDragData.Get());
        m_dropEffectLast = pView->OnDragOver(&data, grfKeyState, ClientPoint(pt)) & allowed;
    } catch (...) {
        return E_UNEXPECTED;
    }
    *pdwEffect = m_dropEffectLast;
    return S_OK;
}

HRESULT COleDropTarget::DragLeave() {
    m_pDragData.Release();
    m_dropEffectLast = DROPEFFECT_NONE;
    if (CView* pView = TargetView()) {
        try {
            pView->OnDragLeave();
        } catch (...) {
            return E_UNEXPECTED;
        }
    }
    return S_OK;
}

HRESULT COleDropTarget::Drop(IDataObject* pDataObj, DWORD, POINTL pt, DWORD* pdwEffect) {
    if (pdwEffect == nullptr) return E_INVALIDARG;
    const DWORD effect = m_dropEffectLast & *pdwEffect;
    *pdwEffect = DROPEFFECT_NONE;
    // The drag ends here whatever the view makes of it.
    m_pDragData.Release();
    m_dropEffectLast = DROPEFFECT_NONE;
    CView* pView = TargetView();
    if (pView == nullptr || pDataObj == nullptr) return S_OK;
    const POINT point = ClientPoint(pt);
    try {
        COleDataObject data(pDataObj);
        // The view may run modal flows in here; nothing of this object is used after it.
        if (pView->OnDrop(&data, effect, point)) *pdwEffect = effect;
    } catch (...) {
        return E_UNEXPECTED;
    }
    return S_OK;
}
