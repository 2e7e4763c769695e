#include "blowfish_view.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CBlowfishView, CObject)

CBlowfishView::CBlowfishView()
    : m_hWnd(nullptr), m_nDataOffset(0), m_bBusy(FALSE), m_pszKey(nullptr), m_bStopRequested(false) {}

CBlowfishView::~CBlowfishView() {
    WipeKey();
    m_strPassword.SecureEmpty();
}

void CBlowfishView::WipeKey() {
    if (m_pszKey == nullptr) return;
    volatile BYTE* bytes = m_pszKey;
    for (size_t i = 0; bytes[i] != 0; ++i) bytes[i] = 0;
    delete[] m_pszKey;
    m_pszKey = nullptr;
}

void CBlowfishView::CopyPasswordToKey() {
    WipeKey();
    size_t length = static_cast<size_t>(m_strPassword.GetLength());
    m_pszKey = new BYTE[length + 1];
    std::memcpy(m_pszKey, m_strPassword.GetString(), length);
    m_pszKey[length] = 0;
}

std::unique_ptr<CFile> CBlowfishView::NewJobFile() const { return std::make_unique<CFile>(); }
