#include "ole_data_object.h"

namespace {

constexpr DWORD kAnyMedium = TYMED_HGLOBAL | TYMED_FILE | TYMED_ISTREAM | TYMED_ISTORAGE | TYMED_GDI |
                             TYMED_MFPICT | TYMED_ENHMF;

// The caller's description with the format filled in, or the whole content in any medium.
FORMATETC FormatFor(CLIPFORMAT cfFormat, const FORMATETC* lpFormatEtc) {
    FORMATETC format = lpFormatEtc != nullptr ? *lpFormatEtc
                                              : FORMATETC{cfFormat, nullptr, DVASPECT_CONTENT, -1, kAnyMedium};
    format.cfFormat = cfFormat;
    return format;
}

}  // namespace

void CStorageMedium::Release() {
    if (m_medium.pUnkForRelease != nullptr) {
        // The source keeps the memory; it frees it when its object is released.
        m_medium.pUnkForRelease->Release();
    } else if (m_medium.tymed == TYMED_HGLOBAL && m_medium.hGlobal != nullptr) {
        ::GlobalFree(m_medium.hGlobal);
    } else if (m_medium.tymed != TYMED_NULL) {
        ::ReleaseStgMedium(&m_medium);  // a stream, file or picture we were given to keep
    }
    m_medium = STGMEDIUM();
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT cfFormat, FORMATETC* lpFormatEtc) const {
    if (m_pDataObject == nullptr) return FALSE;
    FORMATETC format = FormatFor(cfFormat, lpFormatEtc);
    // S_FALSE counts as success to SUCCEEDED but means "not in this form".
    return m_pDataObject->QueryGetData(&format) == S_OK;
}

BOOL COleDataObject::GetData(CLIPFORMAT cfFormat, STGMEDIUM* lpStgMedium, FORMATETC* lpFormatEtc) const {
    if (m_pDataObject == nullptr || lpStgMedium == nullptr) return FALSE;
    FORMATETC format = FormatFor(cfFormat, lpFormatEtc);
    *lpStgMedium = STGMEDIUM();
    if (m_pDataObject->GetData(&format, lpStgMedium) == S_OK) return TRUE;
    // What a failed call left there is nobody's to release.
    *lpStgMedium = STGMEDIUM();
    return FALSE;
}
