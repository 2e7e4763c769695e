// Dragging data onto a window through the platform's own OLE drag loop, as the shell
// does: a data object with a file list (CF_HDROP) and/or text (CF_TEXT), and a drop
// source that moves the cursor over the target with SetCursorPos and lets go once the
// target has had the drag move over it.
//
//   kst_test::DragData data;
//   data.files = {"C:\\report.kst"};
//   kst_test::ComRef<IDataObject> object(kst_test::NewDataObject(data));
//   kst_test::DragOutcome outcome = kst_test::DragOnto(hView, object.get());
//
// The calling thread must have initialised OLE.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

namespace kst_test {

// Holds one reference to a COM object and releases it once.
template <class T>
class ComRef {
public:
    explicit ComRef(T* p = nullptr) : m_p(p) {}
    ~ComRef() {
        if (m_p != nullptr) m_p->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }

private:
    T* m_p;
};

// Stands in for the object a data source names as responsible for a medium it hands out
// (pUnkForRelease): it keeps the memory and counts the releases it gets.
class MediumKeeper : public IUnknown {
public:
    MediumKeeper() = default;
    ~MediumKeeper();
    MediumKeeper(const MediumKeeper&) = delete;
    MediumKeeper& operator=(const MediumKeeper&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Memory handed out under this keeper; freed with the keeper, never by the receiver.
    void Keep(HGLOBAL hGlobal) { m_kept.push_back(hGlobal); }
    LONG AddRefs() const { return m_addRefs; }
    LONG Releases() const { return m_releases; }

private:
    LONG m_ref = 1;  // the keeper's owner
    LONG m_addRefs = 0;
    LONG m_releases = 0;
    std::vector<HGLOBAL> m_kept;
};

struct DragData {
    bool hasFiles = true;
    std::vector<std::string> files;
    bool wide = false;  // the list in UTF-16, as the shell writes it
    // Names the ANSI code page may lack, in a UTF-16 list (instead of `files`).
    std::vector<std::wstring> wideFiles;
    bool hasText = false;
    std::string text;
    // Offers a format but fails to deliver it.
    bool failGetData = false;
    // When set, media are handed out under this keeper instead of to the receiver.
    MediumKeeper* keeper = nullptr;
};

// A new data object with one reference, offering what `data` says. GetData hands out a
// fresh copy each time.
IDataObject* NewDataObject(const DragData& data);
// How often GetData was asked of an object made by NewDataObject.
LONG GetDataCalls(IDataObject* object);

struct DragOutcome {
    HRESULT result = E_FAIL;                  // what DoDragDrop answered
    DWORD effect = DROPEFFECT_NONE;           // the effect of the drop
    DWORD lastFeedback = DROPEFFECT_NONE;     // the last effect the target answered while over it
    bool reachedTarget = false;               // the cursor was over the target while the drag ran
};

// Runs DoDragDrop with the cursor put at `point` (screen coordinates) over `target` and
// drops once the target has answered a move over it. Gives up after some seconds.
DragOutcome DragOnto(HWND target, IDataObject* data, POINT point);
// The same at the centre of the target's window.
DragOutcome DragOnto(HWND target, IDataObject* data);

}  // namespace kst_test
