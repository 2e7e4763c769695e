// The main view: it owns the parameters of the one job that may run at a time and the
// controls the job reports to. The jobs' members are defined in jobs/.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "cstring.h"
#include "file.h"
#include "object.h"
#include "progress_ctrl.h"

class CBlowfishView : public CObject {
    DECLARE_DYNAMIC(CBlowfishView)
public:
    CBlowfishView();
    ~CBlowfishView() override;
    CBlowfishView(const CBlowfishView&) = delete;
    CBlowfishView& operator=(const CBlowfishView&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Rebuilds m_pszKey from m_strPassword; the old key is overwritten with zeros first.
    void CopyPasswordToKey();

    // The jobs, run on a worker thread. Each returns 1 when the job ran (even if it then
    // failed and said so), 0 when a file could not be opened.
    int RunEncrypt();
    int RunDecrypt();
    int RunShred();

    // Asks a running encryption, decryption or shredding to stop at its next chunk.
    void RequestStop() { m_bStopRequested.store(true); }
    bool StopRequested() const { return m_bStopRequested.load(); }

    // Every file a job opens comes from here; a test puts a file that fails in its place.
    virtual std::unique_ptr<CFile> NewJobFile() const;

    HWND m_hWnd;
    CProgressCtrl m_progress;
    CString m_strStatus;
    uint64_t m_nDataOffset;   // where the tail count of the locked file being decrypted is
    BOOL m_bBusy;
    CString m_strPassword;
    BYTE* m_pszKey;           // owned, zero-terminated copy of m_strPassword, or null
    CString m_strDest;
    CString m_strSource;

private:
    void WipeKey();

    std::atomic<bool> m_bStopRequested;
};

// Worker-thread entries: the parameter is the view. They return 0 after a run and -1
// (all bits set) when the parameter is null or not a CBlowfishView, doing nothing else.
UINT EncryptThreadProc(LPVOID pParam);
UINT DecryptThreadProc(LPVOID pParam);
UINT ShredThreadProc(LPVOID pParam);

// Write the locked file, or the plain file, from two open files and close both. On
// failure they say what failed in a message box, delete the destination and return 0.
int EncryptFile(CFile& source, CFile& dest, const BYTE* key, int keyLength, CBlowfishView& view);
int DecryptFile(CFile& source, CFile& dest, const BYTE* key, int keyLength, CBlowfishView& view);
