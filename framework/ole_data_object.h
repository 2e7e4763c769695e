// The data offered by a drag, as a drop target sees it during one call, and the storage
// medium a GetData hands over.
#pragma once

#include <ole2.h>

// Owns one transferred storage medium: whoever GetData names as responsible releases it
// (pUnkForRelease), otherwise the receiver frees its global memory. Released once, at the
// latest when the object goes.
class CStorageMedium {
public:
    CStorageMedium() : m_medium() {}
    ~CStorageMedium() { Release(); }
    CStorageMedium(const CStorageMedium&) = delete;
    CStorageMedium& operator=(const CStorageMedium&) = delete;

    // For GetData to fill; release what it held first.
    STGMEDIUM* Receive() {
        Release();
        return &m_medium;
    }
    // The global memory of an HGLOBAL medium, or null.
    HGLOBAL GetGlobal() const { return m_medium.tymed == TYMED_HGLOBAL ? m_medium.hGlobal : nullptr; }
    // Releases now; later calls (and the destructor) do nothing.
    void Release();

private:
    STGMEDIUM m_medium;
};

class COleDataObject {
public:
    // Borrows the data object for as long as this wrapper lives (one drop target call).
    explicit COleDataObject(IDataObject* pDataObject) : m_pDataObject(pDataObject) {}
    COleDataObject(const COleDataObject&) = delete;
    COleDataObject& operator=(const COleDataObject&) = delete;

    // Whether the data can be had in this format (in any medium unless lpFormatEtc says).
    BOOL IsDataAvailable(CLIPFORMAT cfFormat, FORMATETC* lpFormatEtc = nullptr) const;
    // Fills lpStgMedium on success; the caller then owns it (see CStorageMedium).
    BOOL GetData(CLIPFORMAT cfFormat, STGMEDIUM* lpStgMedium, FORMATETC* lpFormatEtc = nullptr) const;

    IDataObject* GetIDataObject() const { return m_pDataObject; }

private:
    IDataObject* m_pDataObject;
};
