// Files dropped on the main view, through the platform's own OLE drag loop (DoDragDrop in
// this process, the cursor put over the view) and, where that loop cannot reach, through
// the drop target registered for the view's window.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "blowfish_doc.h"
#include "blowfish_view.h"
#include "dialog_driver.h"
#include "drag_drop.h"
#include "locked_format.h"
#include "message_pump.h"
#include "resource.h"
#include "view_flow_support.h"
#include "wide_paths.h"

using namespace kst_test;  // the flows' answers and files
using kst_test::ComRef;
using kst_test::DialogAnswer;
using kst_test::DialogDriver;
using kst_test::DragData;
using kst_test::DragOnto;

namespace {
// The view acts on a drop once the drag loop has returned, from a message it posted to
// itself: a drag here ends with those messages handled.
DragOutcome DropOnto(HWND target, IDataObject* data) {
    const DragOutcome outcome = DragOnto(target, data);
    kst_test::PumpPending();
    return outcome;
}
}  // namespace
using kst_test::DragOutcome;

namespace {

constexpr char kTargetProperty[] = "OleDropTargetInterface";
constexpr char kOneFileMessage[] = "You may only drag and drop 1 file at a time.";

// OLE for the whole test program, on the thread that runs the tests and owns the windows.
class OleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    void TearDown() override { ::OleUninitialize(); }
};
::testing::Environment* const kOle = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

// A full path of exactly `length` characters ending in ".txt".
std::string PathOfLength(size_t length) {
    std::string path = "C:\\dropped";
    while (path.size() + 1 + 40 + 4 < length) path += "\\" + std::string(40, 'd');
    path += "\\";
    path += std::string(length - path.size() - 4, 'f');
    return path + ".txt";
}

class DropTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ShowViewOnParent(m_parent, m_view, "Kestrine drop test"));
        ::SetForegroundWindow(m_parent.GetSafeHwnd());
        kst_test::PumpPending();

        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        m_dir = std::string(temp) + "kst_drop_test";
        ::CreateDirectoryA(m_dir.c_str(), nullptr);
    }
    void TearDown() override {
        m_view.ReleaseJobs();
        kst_test::PumpUntil([&] { return !m_view.m_bBusy; }, kJobTimeoutMs);
        m_view.DestroyWindow();
        m_parent.DestroyWindow();
        kst_test::PumpPending();
    }

    std::string PathOf(const char* name) const { return m_dir + "\\" + name; }
    std::string Source() const { return Narrow(m_view.m_strSource); }
    bool WaitForJob() { return kst_test::PumpUntil([&] { return !m_view.m_bBusy; }, kJobTimeoutMs); }

    DragOutcome Drag(const DragData& data) {
        ComRef<IDataObject> object(kst_test::NewDataObject(data));
        return DropOnto(m_view.GetSafeHwnd(), object.get());
    }
    DragOutcome DragFiles(std::vector<std::string> files) {
        DragData data;
        data.files = std::move(files);
        return Drag(data);
    }
    // The drop target registered for the view's window, called without a drag loop.
    DWORD DropDirectly(const DragData& data) {
        auto* target = static_cast<IDropTarget*>(::GetPropA(m_view.GetSafeHwnd(), kTargetProperty));
        EXPECT_NE(target, nullptr);
        if (target == nullptr) return DROPEFFECT_NONE;
        ComRef<IDataObject> object(kst_test::NewDataObject(data));
        DWORD effect = DROPEFFECT_COPY;
        EXPECT_EQ(target->Drop(object.get(), 0, POINTL{0, 0}, &effect), S_OK);
        kst_test::PumpPending();
        return effect;
    }
    void ExpectAllAnswered(const DialogDriver& driver) {
        EXPECT_EQ(driver.PendingAnswers(), 0u);
        for (const auto& shown : driver.Shown()) EXPECT_FALSE(shown.unexpected) << shown.caption << ": " << shown.text;
    }

    CWnd m_parent;
    GatedView m_view;
    std::string m_dir;
};

}  // namespace

TEST_F(DropTest, ADroppedFileStartsTheFlowItsNameAsksForAndACancelledDialogKeepsItsPath) {
    struct Case {
        const char* name;
        const char* firstDialog;
    } const cases[] = {
        {"report.kst", "Decrypted File"}, {"report.KST", "Decrypted File"}, {"report.Kst", "Decrypted File"},
        {"report.kst.txt", "Encrypted File"}, {"kst", "Encrypted File"},
    };
    DialogDriver driver;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = PathOf(c.name);
        WriteAll(path, LockedHead("report.txt", 0));
        driver.Clear();
        driver.Expect(Cancel(c.firstDialog));
        m_view.m_strSource = L"before";

        const DragOutcome outcome = DragFiles({path});
        EXPECT_TRUE(outcome.reachedTarget);
        EXPECT_EQ(outcome.lastFeedback, static_cast<DWORD>(DROPEFFECT_COPY));
        EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_COPY));  // the drop was taken
        // The flow's first dialog came, was cancelled, and nothing else was said.
        ASSERT_EQ(driver.Shown().size(), 1u);
        EXPECT_EQ(Source(), path);
        EXPECT_EQ(m_view.m_bBusy, 0);
        ExpectAllAnswered(driver);
        ::DeleteFileA(path.c_str());
    }
}

// The program a file is dragged from waits in its drag loop until the drop returns: the
// drop is decided there, but its dialogs and messages come only after it has returned.
TEST_F(DropTest, TheDragSourceIsFreeBeforeAnyDialogOrMessageOfTheDrop) {
    const std::string path = PathOf("free.txt");
    WriteAll(path, "plain");
    struct Case {
        const char* what;
        std::vector<std::string> files;
        DWORD effect;
        DialogAnswer answer;
        const char* shownFirst;  // caption, or text of a message
    } const cases[] = {
        {"one file", {path}, DROPEFFECT_COPY, Cancel("Encrypted File"), "Encrypted File"},
        {"two files", {path, path}, DROPEFFECT_NONE, Acknowledge(), kOneFileMessage},
    };
    DialogDriver driver;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        driver.Clear();
        driver.Expect(c.answer);
        m_view.m_strSource = L"before";
        DragData data;
        data.files = c.files;
        ComRef<IDataObject> object(kst_test::NewDataObject(data));
        const DragOutcome outcome = DragOnto(m_view.GetSafeHwnd(), object.get());
        EXPECT_EQ(outcome.effect, c.effect);
        EXPECT_TRUE(driver.Shown().empty()) << "the drag loop returned only after " << driver.Shown()[0].caption;
        EXPECT_EQ(Source(), "before") << "nothing is touched before the drag loop has returned";

        kst_test::PumpPending();
        ASSERT_EQ(driver.Shown().size(), 1u);
        EXPECT_TRUE(driver.Shown()[0].caption == c.shownFirst || driver.Shown()[0].text == c.shownFirst);
        EXPECT_EQ(Source(), c.effect == DROPEFFECT_COPY ? path : std::string("before"));
        ExpectAllAnswered(driver);
    }
    ::DeleteFileA(path.c_str());
}

TEST_F(DropTest, DraggedTextIsRefusedEvenWithFilesAndDataWithoutFilesIsNeverTaken) {
    DialogDriver driver;
    m_view.m_strSource = L"before";
    DragData text;
    text.hasFiles = false;
    text.hasText = true;
    text.text = "selected words";
    DragData textAndFiles = text;
    textAndFiles.hasFiles = true;
    textAndFiles.files = {PathOf("notes.txt")};
    DragData neither;
    neither.hasFiles = false;
    for (const DragData* data : {&text, &textAndFiles, &neither}) {
        const DragOutcome outcome = Drag(*data);
        EXPECT_TRUE(outcome.reachedTarget);
        EXPECT_EQ(outcome.lastFeedback, static_cast<DWORD>(DROPEFFECT_NONE));
        EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_NONE));
    }
    EXPECT_TRUE(driver.Shown().empty());
    EXPECT_EQ(Source(), "before");

    // The drag loop never drops what the view refused while it moved; a drop that comes
    // anyway (straight to the registered target) is answered "False".
    DragData failing;
    failing.files = {PathOf("notes.txt")};
    failing.failGetData = true;
    for (const DragData* data : {&neither, &failing}) {
        driver.Expect(Acknowledge());
        EXPECT_EQ(DropDirectly(*data), static_cast<DWORD>(DROPEFFECT_NONE));
    }
    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 2u);
    for (const auto& box : shown) {
        EXPECT_EQ(box.text, "False");
        EXPECT_EQ(box.icon, 0u);
    }
    EXPECT_EQ(Source(), "before");
    ExpectAllAnswered(driver);
}

TEST_F(DropTest, TwoFilesOrAnEmptyListStartNothingAndTheMediumGoesBackOnce) {
    struct Case {
        const char* what;
        std::vector<std::string> files;
        bool wide;
        const char* message;  // null: nothing is said
    } const cases[] = {
        {"two files", {PathOf("a.txt"), PathOf("b.txt")}, false, kOneFileMessage},
        {"an empty list", {}, false, nullptr},
    };
    DialogDriver driver;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        driver.Clear();
        if (c.message != nullptr) driver.Expect(Acknowledge());
        m_view.m_strSource = L"before";
        kst_test::MediumKeeper keeper;
        DragData data;
        data.files = c.files;
        data.wide = c.wide;
        data.keeper = &keeper;
        ComRef<IDataObject> object(kst_test::NewDataObject(data));

        const DragOutcome outcome = DropOnto(m_view.GetSafeHwnd(), object.get());
        EXPECT_EQ(outcome.lastFeedback, static_cast<DWORD>(DROPEFFECT_COPY));
        EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_NONE));
        EXPECT_EQ(kst_test::GetDataCalls(object.get()), 1);
        EXPECT_EQ(keeper.AddRefs(), 1);
        EXPECT_EQ(keeper.Releases(), 1);
        const auto shown = driver.Shown();
        if (c.message == nullptr) {
            EXPECT_TRUE(shown.empty());
        } else {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].text, c.message);
            EXPECT_EQ(shown[0].icon, c.message == kOneFileMessage ? static_cast<UINT>(MB_ICONINFORMATION) : 0u);
        }
        EXPECT_EQ(Source(), "before");
        EXPECT_EQ(m_view.m_bBusy, 0);
        ExpectAllAnswered(driver);
    }

    // A path of any length is taken whole (the system's limit is not MAX_PATH), from either
    // kind of list, and its medium also goes back once.
    for (size_t length : {size_t(MAX_PATH - 1), size_t(MAX_PATH), size_t(1000)}) {
        for (bool wide : {false, true}) {
            SCOPED_TRACE(std::to_string(length) + (wide ? " wide" : " narrow"));
            driver.Clear();
            driver.Expect(Cancel("Encrypted File"));
            kst_test::MediumKeeper keeper;
            DragData data;
            data.files = {PathOfLength(length)};
            data.wide = wide;
            data.keeper = &keeper;
            ComRef<IDataObject> object(kst_test::NewDataObject(data));
            DropOnto(m_view.GetSafeHwnd(), object.get());
            EXPECT_EQ(Source(), PathOfLength(length));
            EXPECT_EQ(keeper.Releases(), 1);
            ExpectAllAnswered(driver);
        }
    }
}

TEST_F(DropTest, ADroppedFolderGoesToTheEncryptFlowWhoseJobCannotOpenIt) {
    const std::string folder = PathOf("a folder");
    const std::string locked = PathOf("a folder.kst");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::DeleteFileA(locked.c_str());
    DialogDriver driver;
    driver.Expect(ChooseFile("Encrypted File", locked));
    driver.Expect(DialogAnswer::Press(IDOK).WithCaption(kPasswordCaption).Fill(IDC_PASSWORD, "pw").Fill(IDC_RETYPE, "pw"));
    driver.Expect(Acknowledge());
    DragFiles({folder});
    ASSERT_TRUE(WaitForJob());
    ASSERT_TRUE(driver.WaitForShown(3, kJobTimeoutMs));
    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2].text, "Error opening source file to encrypt.");
    EXPECT_EQ(::GetFileAttributesA(locked.c_str()), INVALID_FILE_ATTRIBUTES);
    ExpectAllAnswered(driver);
    ::RemoveDirectoryA(folder.c_str());
}

TEST_F(DropTest, ADropWhileAJobRunsIsRefusedAndLeavesTheJobAndItsFilesAlone) {
    const std::string original(20000, 'q');
    const std::string source = PathOf("running.txt");
    const std::string locked = PathOf("running.kst");
    const std::string dropped = PathOf("dropped.kst");
    WriteAll(source, original);
    WriteAll(dropped, LockedHead("dropped.txt", 0));
    ::DeleteFileA(locked.c_str());
    DialogDriver driver;
    driver.Expect(ChooseFile("Select File to Encrypt", source));
    driver.Expect(ChooseFile("Encrypted File", locked));
    driver.Expect(DialogAnswer::Press(IDOK).WithCaption(kPasswordCaption).Fill(IDC_PASSWORD, "pw").Fill(IDC_RETYPE, "pw"));
    m_view.HoldJobs();
    m_view.SendMessage(WM_COMMAND, MAKEWPARAM(ID_ENCRYPT, BN_CLICKED), 0);
    ASSERT_EQ(m_view.m_bBusy, 1);

    driver.Expect(Acknowledge());
    const DragOutcome outcome = DragFiles({dropped});
    ASSERT_EQ(driver.Shown().size(), 4u);
    EXPECT_NE(driver.Shown()[3].text.find("busy"), std::string::npos) << driver.Shown()[3].text;
    EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_EQ(Source(), source);
    EXPECT_EQ(Narrow(m_view.m_strDest), locked);
    EXPECT_EQ(m_view.m_bBusy, 1);

    m_view.ReleaseJobs();
    ASSERT_TRUE(WaitForJob());
    const std::string head = LockedHead("running.txt", original.size());
    const std::string written = ReadAll(locked);
    EXPECT_EQ(written.size(), head.size() + original.size());  // 20000 is a whole number of blocks
    EXPECT_EQ(written.substr(0, head.size()), head);
    EXPECT_EQ(ReadAll(source), original);
    EXPECT_EQ(ReadAll(dropped), LockedHead("dropped.txt", 0));
    ExpectAllAnswered(driver);
}

namespace {

// Runs a call on this thread from inside whatever message loop dispatches next: posted
// before a flow starts, it comes ahead of anything posted to the flow's first dialog.
class PostedCall {
public:
    explicit PostedCall(std::function<void()> call)
        : m_call(std::move(call)),
          m_hWnd(::CreateWindowExA(0, "STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)),
          m_pfnSuper(reinterpret_cast<WNDPROC>(
              ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PostedCall::Proc)))) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~PostedCall() { ::DestroyWindow(m_hWnd); }
    PostedCall(const PostedCall&) = delete;
    PostedCall& operator=(const PostedCall&) = delete;

    void Post() const { ::PostMessageA(m_hWnd, WM_APP, 0, 0); }

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<PostedCall*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
        if (message == WM_APP && self != nullptr) {
            self->m_call();
            return 0;
        }
        return ::CallWindowProcA(self != nullptr ? self->m_pfnSuper : &::DefWindowProcA, hWnd, message, wParam, lParam);
    }

    std::function<void()> m_call;
    HWND m_hWnd;
    WNDPROC m_pfnSuper;
};

// A drop on the view straight through its registered target, as a drag loop makes it.
void DropThroughTarget(IDropTarget* target, const std::string& path) {
    DragData data;
    data.files = {path};
    ComRef<IDataObject> object(kst_test::NewDataObject(data));
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(object.get(), 0, POINTL{0, 0}, &effect);
    effect = DROPEFFECT_COPY;
    target->DragOver(0, POINTL{0, 0}, &effect);
    effect = DROPEFFECT_COPY;
    target->Drop(object.get(), 0, POINTL{0, 0}, &effect);
}

}  // namespace

TEST_F(DropTest, NothingArrivingWhileAFlowWaitsInItsDialogsTouchesItsSource) {
    CBlowfishDoc document;
    document.m_bOpened = TRUE;
    document.m_strOpenedPath = L"C:\\opened.kst";
    m_view.m_pDocument = &document;
    PostedCall drop([&] { DropThroughTarget(&m_view.m_dropTarget, "C:\\arriving.txt"); });
    // A file opened as the document while the program runs reaches the initial update.
    PostedCall handOver([&] { m_view.OnInitialUpdate(); });
    struct Case {
        const char* what;
        const PostedCall* arrival;
        UINT command;
        const char* dialog;
    } const cases[] = {
        {"a drop during Decrypt", &drop, ID_DECRYPT, "Select File to Decrypt"},
        {"a drop during Encrypt", &drop, ID_ENCRYPT, "Select File to Encrypt"},
        {"a document during Decrypt", &handOver, ID_DECRYPT, "Select File to Decrypt"},
    };
    DialogDriver driver;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        driver.Clear();
        m_view.m_strSource = L"before";
        driver.Expect(Acknowledge());
        driver.Expect(Cancel(c.dialog));
        c.arrival->Post();
        m_view.SendMessage(WM_COMMAND, MAKEWPARAM(c.command, BN_CLICKED), 0);
        const auto shown = driver.Shown();
        ASSERT_EQ(shown.size(), 2u);
        const auto& busy = shown[0].caption == "Kestrine" ? shown[0] : shown[1];
        EXPECT_NE(busy.text.find("busy"), std::string::npos) << busy.text;
        EXPECT_EQ(Source(), "before");
        ExpectAllAnswered(driver);
    }
    m_view.m_pDocument = nullptr;
}

TEST(DropTargetLifetime, RegisteredOnceAndRevokedBeforeTheWindowOrTheViewGoes) {
    CWnd parent;
    CBlowfishView view;
    ASSERT_TRUE(ShowViewOnParent(parent, view, "Kestrine drop lifetime"));
    const HWND hView = view.GetSafeHwnd();
    RECT where{};
    ::GetWindowRect(hView, &where);

    // Registered for the view's window; a later initial update keeps that registration.
    EXPECT_EQ(::GetPropA(hView, kTargetProperty), static_cast<IDropTarget*>(&view.m_dropTarget));
    const ULONG heldOnce = view.m_dropTarget.AddRef();
    view.m_dropTarget.Release();
    EXPECT_GT(heldOnce, 1u);
    view.OnInitialUpdate();
    EXPECT_EQ(view.m_dropTarget.AddRef(), heldOnce);
    view.m_dropTarget.Release();

    // With the window gone OLE holds nothing of the target, and a drag where it was
    // reaches nothing.
    view.DestroyWindow();
    EXPECT_FALSE(view.m_dropTarget.IsRegistered());
    EXPECT_EQ(view.m_dropTarget.AddRef(), 1u);
    view.m_dropTarget.Release();
    {
        DialogDriver driver;
        DragData data;
        data.files = {"C:\\late.kst"};
        ComRef<IDataObject> object(kst_test::NewDataObject(data));
        const DragOutcome outcome = DragOnto(parent.GetSafeHwnd(), object.get(),
                                             POINT{(where.left + where.right) / 2, (where.top + where.bottom) / 2});
        EXPECT_EQ(outcome.effect, static_cast<DWORD>(DROPEFFECT_NONE));
        EXPECT_TRUE(driver.Shown().empty());
    }

    // A target that outlives the view it was registered for is revoked when the view goes.
    COleDropTarget target;
    {
        auto other = std::make_unique<CBlowfishView>();
        RECT client{};
        parent.GetClientRect(&client);
        ASSERT_TRUE(other->Create(&parent, client, 0xE901));
        ASSERT_TRUE(target.Register(other.get()));
        EXPECT_FALSE(target.Register(&parent));  // only a view's window takes a target
    }
    EXPECT_FALSE(target.IsRegistered());
    EXPECT_EQ(target.AddRef(), 1u);
    target.Release();
    parent.DestroyWindow();
    kst_test::PumpPending();
}
