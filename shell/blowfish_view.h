// The main view: a form with the status line and the progress bar. It owns the commands
// that start jobs, the parameters of the one job that may run at a time and the controls
// the job reports to. The jobs' members are defined beside it (*_job.cpp).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "blowfish_key_context.h"
#include "cstring.h"
#include "file.h"
#include "message_map.h"
#include "ole_drop_target.h"
#include "progress_ctrl.h"
#include "secret_bytes.h"
#include "thread.h"
#include "view.h"

class CCmdUI;

class CBlowfishView : public CFormView {
    DECLARE_DYNAMIC(CBlowfishView)
public:
    CBlowfishView();
    ~CBlowfishView() override;
    CBlowfishView(const CBlowfishView&) = delete;
    CBlowfishView& operator=(const CBlowfishView&) = delete;

    void OnInitialUpdate() override;
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;

    // A file dragged from the shell: files are taken as a copy, text never (even with files).
    DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, POINT point) override;
    // One dropped file: ".kst" in any case decrypts, anything else encrypts. Decided here,
    // acted on after the drop has returned (the drag source waits until then). TRUE when a
    // flow is to follow, whatever it then does.
    BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, POINT point) override;

    // The file dialogs of the flows: 1 when a file was chosen (and stored), 0 when cancelled.
    int SelectSourceToEncrypt();
    int SelectDestToEncrypt();
    int SelectSourceToDecrypt();
    int SelectDestToDecrypt();
    int SelectFileToShred();

    // Rebuilds m_pszKey from m_strPassword, then wipes the password: from here on the key
    // alone holds it, and the job that keys with it wipes it when it ends. The old key is
    // overwritten with zeros as it goes.
    void CopyPasswordToKey();

    // The decrypt flow for the locked file named by m_strSource (the Decrypt command, a
    // dropped ".kst" file, a file opened as the document). Refused while a job runs.
    void ReadLockedHeader();
    // The encrypt flow for the file already named by m_strSource (a dropped file).
    // Refused while a job runs.
    void EncryptDroppedFile();
    // The flows for a file chosen in Explorer: encrypt it from the destination dialog on, or
    // shred it after the user has said Yes to a question. Refused while a job runs; a path
    // that names no file is reported.
    void EncryptFileFromShell(const std::wstring& strPath);
    void ShredFileFromShell(const std::wstring& strPath);

    // The jobs, run on a worker thread. Each returns 1 when the job ran (even if it then
    // failed and said so), 0 when a file could not be opened. The sources of an encryption
    // and a decryption are only read; shredding needs write access.
    int RunEncrypt();
    int RunDecrypt();
    int RunShred();

    // Whether a handed-over file can start its flow now: no job runs, no flow waits in its
    // dialogs, no dropped file waits for its flow.
    BOOL IsReadyForAFile() const { return !IsBusy() && m_strDroppedPath.empty(); }

    // Asks a running encryption, decryption or shredding to stop at its next chunk.
    void RequestStop() { m_bStopRequested.store(true); }
    bool StopRequested() const { return m_bStopRequested.load(); }

    // The worker's side of a job's end. Only a job that wrote all its output is complete.
    // The closing status text is handed over here and shown by the user-interface thread
    // after WM_JOB_DONE: the worker never touches m_strStatus, which the user-interface
    // thread may be showing at any time. Texts are static strings.
    void MarkJobComplete(bool bComplete) { m_bJobComplete.store(bComplete); }
    bool JobComplete() const { return m_bJobComplete.load(); }
    void SetJobEndText(const char* pszText) { m_pszJobEndText.store(pszText); }
    const char* JobEndText() const { return m_pszJobEndText.load(); }

    // Every file a job opens comes from here; a test puts a file that fails in its place.
    virtual std::unique_ptr<CFile> NewJobFile() const;

    CProgressCtrl m_progress;
    CString m_strStatus;
    COleDropTarget m_dropTarget;
    uint64_t m_nDataOffset;   // where the tail count of the locked file being decrypted is
    BOOL m_bBusy;
    CString m_strPassword;
    SecretBytes m_pszKey;     // zero-terminated copy of the password, or empty
    // The cipher state the running job keys from m_pszKey, wiped when the job ends; only the
    // job's threads touch it.
    BlowfishKeyContext m_keyContext;
    // Threads that cipher the blocks of an encryption or a decryption: 1 for one, N for N
    // workers, 0 (the program's own choice) lets the file's size and the processors decide.
    unsigned m_nCipherThreads;
    // Paths are wide: a file's name may hold characters the ANSI code page lacks.
    std::wstring m_strDest;
    std::wstring m_strSource;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    // The hand-over from the document at initial update (the About-box test, and the
    // decrypt flow for a file opened as the document). Defined beside the document.
    virtual void HandOverFromDocument();

    void OnEncrypt();
    void OnDecrypt();
    void OnShred();
    void OnUpdateJobCommand(CCmdUI* pCmdUI);
    LRESULT OnJobDone(WPARAM wParam, LPARAM lParam);
    LRESULT OnDropFlow(WPARAM wParam, LPARAM lParam);
    LRESULT OnDropRefused(WPARAM wParam, LPARAM lParam);

private:
    // Shows a message and answers TRUE while a job runs: a second job must not start.
    BOOL RefuseWhileBusy();
    // Shows a message and answers TRUE when m_strDest cannot take the result: it is the
    // source itself (`bSameAsSource`), or something stands in the way of replacing it.
    BOOL RefuseDestination(bool bSameAsSource);
    // Whether a job runs or a flow waits in its dialogs.
    BOOL IsBusy() const { return m_bBusy || m_bPreparing; }
    // The common end of the three flows: status text, busy flag, worker thread.
    void StartJob(const char* pszVerb, AFX_THREADPROC pfnThreadProc);
    // The encrypt flow from the destination dialog on.
    void EncryptFromDestination();
    // The name the "Decrypted File" dialog proposes for a locked file's stored name.
    std::wstring ProposedNameFor(const std::string& storedName) const;

    std::atomic<bool> m_bStopRequested;
    std::atomic<bool> m_bJobComplete;
    std::atomic<const char*> m_pszJobEndText;
    // Set while a flow waits in its dialogs, so that a drop or a shell open arriving then
    // cannot start a second flow over the fields of the first.
    BOOL m_bPreparing;
    // The file of a drop whose flow has been posted and not yet started; empty otherwise.
    std::wstring m_strDroppedPath;

    DECLARE_MESSAGE_MAP()
};

// What the view says when a job or a drop arrives while it is busy.
extern const char kBusyMessage[];

// Worker-thread entries: the parameter is the view. They return 0 after a run and -1
// (all bits set) when the parameter is null or not a CBlowfishView, doing nothing else.
UINT EncryptThreadProc(LPVOID pParam);
UINT DecryptThreadProc(LPVOID pParam);
UINT ShredThreadProc(LPVOID pParam);

// Write the locked file, or the plain file, from two open files and close both. On
// failure they say what failed in a message box, delete the destination and return 0.
int EncryptFile(CFile& source, CFile& dest, const BYTE* key, int keyLength, CBlowfishView& view);
int DecryptFile(CFile& source, CFile& dest, const BYTE* key, int keyLength, CBlowfishView& view);
