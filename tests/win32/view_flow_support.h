// What the tests of the view's flows share: files in and out, answers to the flows'
// dialogs, and a view whose jobs can be held still in the middle.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "blowfish_view.h"
#include "dialog_driver.h"
#include "file.h"
#include "locked_format.h"
#include "resource.h"

namespace kst_test {

constexpr DWORD kJobTimeoutMs = 120000;
constexpr char kPasswordCaption[] = "Password Protection";
// The file name field of the common file dialog (a combo box with an edit field).
constexpr int kFileNameCombo = 1148;

// Puts `view` on a new visible window `parent`, filling its client area as the frame does,
// and runs its initial update; false when either window could not be made.
inline bool ShowViewOnParent(CWnd& parent, CBlowfishView& view, const char* title) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    if (!parent.CreateEx(0, nullptr, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 295, 135, nullptr, nullptr))
        return false;
    RECT client{};
    parent.GetClientRect(&client);
    if (!view.Create(&parent, client, 0xE900)) return false;
    view.OnInitialUpdate();
    return true;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline void WriteAll(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}
// A locked file's head as the program writes it.
inline std::string LockedHead(const std::string& storedName, uint64_t length) {
    const std::vector<uint8_t> head = lockedfile::BuildHeader(storedName, length);
    return std::string(head.begin(), head.end());
}

inline DialogAnswer ChooseFile(const char* title, const std::string& path) {
    return DialogAnswer::Press(IDOK).WithCaption(title).Fill(kFileNameCombo, path);
}
inline DialogAnswer Cancel(const char* title) { return DialogAnswer::Press(IDCANCEL).WithCaption(title); }
inline DialogAnswer EncryptPassword(const std::string& password) {
    return DialogAnswer::Press(IDOK).WithCaption(kPasswordCaption).Fill(IDC_PASSWORD, password).Fill(IDC_RETYPE,
                                                                                                      password);
}
inline DialogAnswer DecryptPassword(const std::string& password) {
    return DialogAnswer::Press(IDOK).WithCaption(kPasswordCaption).Fill(IDC_PASSWORD, password);
}
inline DialogAnswer Acknowledge() { return DialogAnswer::Press(IDOK).WithCaption("Kestrine"); }

// A file whose reads wait while the gate is closed; the first read that waits says so.
class GatedFile : public CFile {
public:
    GatedFile(HANDLE hGate, HANDLE hHeld) : m_hGate(hGate), m_hHeld(hHeld) {}
    bool Read(void* pBuffer, UINT nCount, UINT& got) override {
        if (::WaitForSingleObject(m_hGate, 0) != WAIT_OBJECT_0) {
            ::SetEvent(m_hHeld);
            ::WaitForSingleObject(m_hGate, kJobTimeoutMs);
        }
        return CFile::Read(pBuffer, nCount, got);
    }

private:
    HANDLE m_hGate;
    HANDLE m_hHeld;
};

// A view whose jobs can be held at their next read, with the worker thread alive, so
// that something can arrive while a job certainly runs.
class GatedView : public CBlowfishView {
public:
    GatedView()
        : m_gate(::CreateEventA(nullptr, TRUE, TRUE, nullptr), &::CloseHandle),
          m_held(::CreateEventA(nullptr, TRUE, FALSE, nullptr), &::CloseHandle) {}
    std::unique_ptr<CFile> NewJobFile() const override {
        return std::make_unique<GatedFile>(m_gate.get(), m_held.get());
    }
    void HoldJobs() {
        ::ResetEvent(m_held.get());
        ::ResetEvent(m_gate.get());
    }
    void ReleaseJobs() { ::SetEvent(m_gate.get()); }
    // Whether a job has reached the closed gate and waits there.
    bool JobHeld() const { return ::WaitForSingleObject(m_held.get(), 0) == WAIT_OBJECT_0; }

private:
    std::unique_ptr<void, decltype(&::CloseHandle)> m_gate;
    std::unique_ptr<void, decltype(&::CloseHandle)> m_held;
};

}  // namespace kst_test
