#include "drag_drop.h"

#include <shlobj.h>

#include <cstring>

namespace kst_test {

namespace {

// The drag gives up after this many questions (the loop asks about every 50 ms).
constexpr int kMaxQuestions = 400;
// Moves over the target the target must have answered before the source lets go.
constexpr int kAnswersBeforeDrop = 2;

HGLOBAL GlobalCopy(const void* bytes, size_t size) {
    HGLOBAL hGlobal = ::GlobalAlloc(GHND, size);
    if (hGlobal == nullptr) return nullptr;
    std::memcpy(::GlobalLock(hGlobal), bytes, size);
    ::GlobalUnlock(hGlobal);
    return hGlobal;
}

// DROPFILES followed by the names, each ending in NUL, and one more NUL.
HGLOBAL FileList(const std::vector<std::string>& files, bool wide, const std::vector<std::wstring>& wideFiles) {
    if (!wideFiles.empty()) wide = true;
    std::vector<BYTE> bytes(sizeof(DROPFILES), 0);
    auto* header = reinterpret_cast<DROPFILES*>(bytes.data());
    header->pFiles = sizeof(DROPFILES);
    header->fWide = wide ? TRUE : FALSE;
    auto append = [&](const void* p, size_t size) {
        const BYTE* b = static_cast<const BYTE*>(p);
        bytes.insert(bytes.end(), b, b + size);
    };
    for (const std::string& file : files) {
        if (wide) {
            std::wstring name(file.size() + 1, L'\0');
            const int n = ::MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, &name[0], static_cast<int>(name.size()));
            append(name.data(), static_cast<size_t>(n) * sizeof(wchar_t));
        } else {
            append(file.c_str(), file.size() + 1);
        }
    }
    for (const std::wstring& file : wideFiles) append(file.c_str(), (file.size() + 1) * sizeof(wchar_t));
    const wchar_t end = L'\0';
    append(&end, wide ? sizeof end : 1);
    return GlobalCopy(bytes.data(), bytes.size());
}

class TestDataObject final : public IDataObject {
public:
    explicit TestDataObject(const DragData& data) : m_data(data) {}
    TestDataObject(const TestDataObject&) = delete;
    TestDataObject& operator=(const TestDataObject&) = delete;

    LONG m_getDataCalls = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *ppv = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG ref = ::InterlockedDecrement(&m_ref);
        if (ref == 0) delete this;
        return static_cast<ULONG>(ref);
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        ::InterlockedIncrement(&m_getDataCalls);
        if (format == nullptr || medium == nullptr) return E_INVALIDARG;
        const HRESULT can = QueryGetData(format);
        if (can != S_OK) return can;
        if (m_data.failGetData) return E_FAIL;
        HGLOBAL hGlobal = format->cfFormat == CF_HDROP ? FileList(m_data.files, m_data.wide, m_data.wideFiles)
                                                       : GlobalCopy(m_data.text.c_str(), m_data.text.size() + 1);
        if (hGlobal == nullptr) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = hGlobal;
        medium->pUnkForRelease = nullptr;
        if (m_data.keeper != nullptr) {
            m_data.keeper->Keep(hGlobal);
            m_data.keeper->AddRef();
            medium->pUnkForRelease = m_data.keeper;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (format == nullptr) return E_INVALIDARG;
        const bool offered = (format->cfFormat == CF_HDROP && m_data.hasFiles) ||
                             (format->cfFormat == CF_TEXT && m_data.hasText);
        if (!offered || format->dwAspect != DVASPECT_CONTENT) return DV_E_FORMATETC;
        return (format->tymed & TYMED_HGLOBAL) != 0 ? S_OK : DV_E_TYMED;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out != nullptr) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** ppEnum) override {
        if (ppEnum == nullptr) return E_POINTER;
        *ppEnum = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> formats;
        if (m_data.hasFiles) formats.push_back({CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        if (m_data.hasText) formats.push_back({CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
        return ::SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.data(), ppEnum);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~TestDataObject() = default;

    LONG m_ref = 1;
    DragData m_data;
};

// Puts the cursor over the target and drops once the target has answered moves there.
class TestDropSource final : public IDropSource {
public:
    TestDropSource(HWND target, POINT point) : m_target(target), m_point(point) {}
    TestDropSource(const TestDropSource&) = delete;
    TestDropSource& operator=(const TestDropSource&) = delete;

    DWORD m_lastFeedback = DROPEFFECT_NONE;
    bool m_reached = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
            *ppv = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the stack of DragOnto, which outlasts the drag loop.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
        if (++m_questions > kMaxQuestions) return DRAGDROP_S_CANCEL;
        // The drag loop finds its target at the position of the message it last took,
        // which can lag behind the cursor: only that position counts.
        const DWORD position = ::GetMessagePos();
        const POINT seen{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
        if (seen.x != m_point.x || seen.y != m_point.y) {
            MoveTo(m_point);
            m_over = false;
            return S_OK;
        }
        HWND under = ::WindowFromPoint(seen);
        m_over = under == m_target || ::IsChild(m_target, under);
        if (!m_over) return S_OK;
        m_reached = true;
        return m_answersOver >= kAnswersBeforeDrop ? DRAGDROP_S_DROP : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
        m_lastFeedback = effect;
        if (m_over) ++m_answersOver;
        return DRAGDROP_S_USEDEFAULTCURSORS;
    }

private:
    // Moves the cursor as a mouse would, so that the loop gets a message from there.
    static void MoveTo(POINT point) {
        ::SetCursorPos(point.x, point.y);
        const int width = ::GetSystemMetrics(SM_CXSCREEN);
        const int height = ::GetSystemMetrics(SM_CYSCREEN);
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = static_cast<LONG>((point.x * 65535LL + width / 2) / (width > 1 ? width - 1 : 1));
        input.mi.dy = static_cast<LONG>((point.y * 65535LL + height / 2) / (height > 1 ? height - 1 : 1));
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        ::SendInput(1, &input, sizeof input);
    }

    HWND m_target;
    POINT m_point;
    int m_questions = 0;
    int m_answersOver = 0;
    bool m_over = false;
};

}  // namespace

MediumKeeper::~MediumKeeper() {
    for (HGLOBAL hGlobal : m_kept) ::GlobalFree(hGlobal);
}

HRESULT MediumKeeper::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown)) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
}

ULONG MediumKeeper::AddRef() {
    ::InterlockedIncrement(&m_addRefs);
    return static_cast<ULONG>(::InterlockedIncrement(&m_ref));
}

ULONG MediumKeeper::Release() {
    ::InterlockedIncrement(&m_releases);
    return static_cast<ULONG>(::InterlockedDecrement(&m_ref));
}

IDataObject* NewDataObject(const DragData& data) { return new TestDataObject(data); }

LONG GetDataCalls(IDataObject* object) { return static_cast<TestDataObject*>(object)->m_getDataCalls; }

DragOutcome DragOnto(HWND target, IDataObject* data, POINT point) {
    DragOutcome outcome;
    TestDropSource source(target, point);
    ::SetCursorPos(point.x, point.y);
    outcome.result = ::DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &outcome.effect);
    outcome.lastFeedback = source.m_lastFeedback;
    outcome.reachedTarget = source.m_reached;
    return outcome;
}

DragOutcome DragOnto(HWND target, IDataObject* data) {
    RECT rc{};
    ::GetWindowRect(target, &rc);
    return DragOnto(target, data, POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
}

}  // namespace kst_test
