#include "dialog_driver.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "message_pump.h"
#include "window_text.h"

namespace kst_test {

namespace {

constexpr DWORD kLookEveryMs = 15;
constexpr DWORD kSendTimeoutMs = 2000;
// A dialog answered before may be answered again (say after it refused its input with a
// box of its own) once it has been left alone this long and is enabled again.
constexpr DWORD kReanswerAfterMs = 500;

UINT IconStyleOf(HWND iconStatic) {
    DWORD_PTR shown = 0;
    if (!::SendMessageTimeoutA(iconStatic, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &shown) ||
        shown == 0)
        return 0;
    static const struct { LPCSTR id; UINT style; } kIcons[] = {
        {IDI_HAND, MB_ICONHAND},
        {IDI_QUESTION, MB_ICONQUESTION},
        {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
        {IDI_ASTERISK, MB_ICONASTERISK},
    };
    for (const auto& icon : kIcons)
        if (reinterpret_cast<DWORD_PTR>(::LoadIconA(nullptr, icon.id)) == shown) return icon.style;
    return 0;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    auto* children = reinterpret_cast<std::vector<HWND>*>(param);
    children->push_back(child);
    return TRUE;
}

struct Candidates {
    DWORD processId;
    std::vector<HWND> dialogs;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    auto* candidates = reinterpret_cast<Candidates*>(param);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId == candidates->processId && ::IsWindowVisible(window) && ClassOf(window) == "#32770")
        candidates->dialogs.push_back(window);
    return TRUE;
}

bool CaptionMatches(const DialogAnswer& answer, const std::string& caption) {
    return answer.captionContains.empty() || caption.find(answer.captionContains) != std::string::npos;
}

}  // namespace

DialogAnswer DialogAnswer::Press(int button) {
    DialogAnswer answer;
    answer.button = button;
    return answer;
}

DialogAnswer DialogAnswer::CloseWindowInstead(HWND window) {
    DialogAnswer answer;
    answer.closeInstead = window;
    return answer;
}

DialogAnswer DialogAnswer::LeaveOpen() {
    DialogAnswer answer;
    answer.leaveOpen = true;
    return answer;
}

DialogAnswer DialogAnswer::WithCaption(std::string caption) const {
    DialogAnswer answer(*this);
    answer.captionContains = std::move(caption);
    return answer;
}

DialogAnswer DialogAnswer::Fill(int controlId, std::string text) const {
    DialogAnswer answer(*this);
    answer.fill.emplace_back(controlId, std::move(text));
    return answer;
}

DialogAnswer DialogAnswer::Type(int controlId, std::wstring text) const {
    DialogAnswer answer(*this);
    answer.typed.emplace_back(controlId, std::move(text));
    return answer;
}

DialogDriver::DialogDriver() : m_defaultButton(IDCANCEL), m_stop(false), m_watcher([this] { Watch(); }) {}

DialogDriver::~DialogDriver() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_watcher.join();
}

void DialogDriver::Expect(DialogAnswer answer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(std::move(answer));
}

void DialogDriver::SetDefaultButton(int button) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_defaultButton = button;
}

std::vector<ShownDialog> DialogDriver::Shown() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_shown;
}

size_t DialogDriver::PendingAnswers() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_answers.size();
}

void DialogDriver::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.clear();
    m_shown.clear();
}

bool DialogDriver::WaitForShown(size_t count, DWORD timeoutMs) {
    return PumpUntil([&] { return Shown().size() >= count; }, timeoutMs);
}

void DialogDriver::Watch() {
    std::map<HWND, DWORD> answeredAt;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        lock.unlock();
        Candidates candidates{::GetCurrentProcessId(), {}};
        ::EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&candidates));
        for (auto it = answeredAt.begin(); it != answeredAt.end();)
            it = ::IsWindow(it->first) ? std::next(it) : answeredAt.erase(it);
        for (HWND dialog : candidates.dialogs) {
            auto seen = answeredAt.find(dialog);
            if (seen != answeredAt.end()) {
                bool settled = ::GetTickCount() - seen->second >= kReanswerAfterMs && ::IsWindowEnabled(dialog);
                if (!settled) continue;
                // Only an answer meant for this dialog by name may answer it a second time.
                std::string caption = WindowTextOf(dialog);
                std::lock_guard<std::mutex> guard(m_mutex);
                bool named = std::any_of(m_answers.begin(), m_answers.end(), [&](const DialogAnswer& a) {
                    return !a.captionContains.empty() && CaptionMatches(a, caption);
                });
                if (!named) continue;
            }
            if (Answer(dialog)) answeredAt[dialog] = ::GetTickCount();
        }
        lock.lock();
        m_wake.wait_for(lock, std::chrono::milliseconds(kLookEveryMs), [this] { return m_stop; });
    }
}

bool DialogDriver::Answer(HWND dialog) {
    // A dialog may be visible before it has been filled in (Wine's message box is): a sent
    // message is handled only once its thread has left the initialisation and waits in the
    // dialog's message loop, so after it the caption and texts are the dialog's own. A
    // thread that a loaded machine has not let get there yet is asked again on a later look.
    DWORD_PTR settled = 0;
    if (!::SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &settled)) return false;
    ShownDialog shown;
    shown.caption = WindowTextOf(dialog);
    shown.threadId = ::GetWindowThreadProcessId(dialog, nullptr);
    shown.owner = ::GetWindow(dialog, GW_OWNER);
    shown.ownerEnabled = shown.owner != nullptr && ::IsWindowEnabled(shown.owner);
    std::vector<HWND> children;
    ::EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        std::string text = WindowTextOf(child);
        shown.controls.emplace_back(::GetDlgCtrlID(child), text);
        if (ClassOf(child) == "Button" && shown.defaultButton == 0 &&
            (::GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            shown.defaultButton = ::GetDlgCtrlID(child);
        if (ClassOf(child) != "Static") continue;
        if (!text.empty()) {
            if (!shown.text.empty()) shown.text += '\n';
            shown.text += text;
        } else if (shown.icon == 0) {
            shown.icon = IconStyleOf(child);
        }
    }

    DialogAnswer answer;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto match = std::find_if(m_answers.begin(), m_answers.end(),
                                  [&](const DialogAnswer& a) { return CaptionMatches(a, shown.caption); });
        if (match != m_answers.end()) {
            answer = *match;
            m_answers.erase(match);
        } else {
            answer = DialogAnswer::Press(m_defaultButton);
            shown.unexpected = true;
        }
    }

    for (const auto& field : answer.fill) {
        HWND control = EditFieldOf(::GetDlgItem(dialog, field.first));
        DWORD_PTR ignored = 0;
        if (control != nullptr)
            ::SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(field.second.c_str()),
                                  SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
    }
    for (const auto& field : answer.typed) {
        HWND control = EditFieldOf(::GetDlgItem(dialog, field.first));
        DWORD_PTR ignored = 0;
        // Set as UTF-16 text: the system converts it for the narrow control as it converts
        // typed characters. (Wine's own conversion of double-byte WM_CHAR is not usable.)
        if (control != nullptr)
            ::SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(field.second.c_str()),
                                  SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored);
    }
    shown.pressed = answer.closeInstead != nullptr || answer.leaveOpen ? 0 : answer.button;
    {
        // Recorded before the press, so that whoever waits for it sees it no later than
        // the code that showed the dialog goes on.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shown.push_back(shown);
    }
    if (answer.closeInstead != nullptr) {
        ::PostMessageA(answer.closeInstead, WM_CLOSE, 0, 0);
        return true;
    }
    if (answer.leaveOpen) return true;
    HWND button = ::GetDlgItem(dialog, answer.button);
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
}

}  // namespace kst_test
