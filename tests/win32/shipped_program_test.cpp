// What Windows reads from kestrine.exe and kst.exe as built: the manifest, the DLLs the
// loader must find before the program runs, the protections of the image, and the version
// resource, for both executables alike.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kestrine_version.h"
#include "kst_exe.h"

namespace {

struct ShippedProgram {
    const char* path;
    const char* name;  // the file name without ".exe"
};

const ShippedProgram kShippedPrograms[] = {
    {KST_PROGRAM_PATH, "kestrine"},
    {KST_EXE_PATH, "kst"},
};

// The DLLs every Windows from 7 to 11 takes from System32 whatever the search order says
// (the KnownDLLs of all of them): a static import must be one of these.
const std::set<std::string> kKnownDlls = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "gdi32.dll",    "imagehlp.dll", "imm32.dll",
    "kernel32.dll", "msctf.dll",   "msvcrt.dll",   "normaliz.dll", "nsi.dll",      "ole32.dll",
    "oleaut32.dll", "psapi.dll",   "rpcrt4.dll",   "sechost.dll",  "setupapi.dll", "shell32.dll",
    "shlwapi.dll",  "user32.dll",  "wldap32.dll",  "ws2_32.dll",
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The headers and sections of a PE32 file, read from its bytes as the loader reads them.
class PeFile {
public:
    explicit PeFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        m_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        IMAGE_DOS_HEADER dos{};
        if (!Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return;
        if (!Read(size_t(dos.e_lfanew), m_nt) || m_nt.Signature != IMAGE_NT_SIGNATURE ||
            m_nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
            return;
        size_t offset = size_t(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                        m_nt.FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < m_nt.FileHeader.NumberOfSections; ++i, offset += sizeof(IMAGE_SECTION_HEADER)) {
            IMAGE_SECTION_HEADER section{};
            if (!Read(offset, section)) return;
            m_sections.push_back(section);
        }
        m_bValid = true;
    }

    bool Valid() const { return m_bValid; }
    const IMAGE_NT_HEADERS32& Headers() const { return m_nt; }
    std::vector<std::string> SectionNames() const {
        std::vector<std::string> names;
        for (const auto& section : m_sections)
            names.emplace_back(reinterpret_cast<const char*>(section.Name), strnlen(reinterpret_cast<const char*>(section.Name), 8));
        return names;
    }

    // The names of the DLLs in the import table, as written there.
    std::vector<std::string> ImportedDlls() const {
        std::vector<std::string> names;
        const IMAGE_DATA_DIRECTORY& directory = m_nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        size_t offset = 0;
        if (directory.VirtualAddress == 0 || !OffsetOf(directory.VirtualAddress, offset)) return names;
        for (;; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            IMAGE_IMPORT_DESCRIPTOR descriptor{};
            if (!Read(offset, descriptor) || descriptor.Name == 0) break;
            size_t nameOffset = 0;
            if (!OffsetOf(descriptor.Name, nameOffset) || nameOffset >= m_bytes.size()) break;
            names.emplace_back(m_bytes.c_str() + nameOffset);
        }
        return names;
    }

private:
    template <class T>
    bool Read(size_t offset, T& value) const {
        if (offset > m_bytes.size() || m_bytes.size() - offset < sizeof(T)) return false;
        std::memcpy(&value, m_bytes.data() + offset, sizeof(T));
        return true;
    }
    bool OffsetOf(DWORD rva, size_t& offset) const {
        for (const auto& section : m_sections) {
            const DWORD size = std::max<DWORD>(section.Misc.VirtualSize, section.SizeOfRawData);
            if (rva >= section.VirtualAddress && rva - section.VirtualAddress < size) {
                offset = size_t(section.PointerToRawData) + (rva - section.VirtualAddress);
                return true;
            }
        }
        return false;
    }

    std::string m_bytes;
    IMAGE_NT_HEADERS32 m_nt{};
    std::vector<IMAGE_SECTION_HEADER> m_sections;
    bool m_bValid = false;
};

// The executable's own manifest (resource 1 of type 24), or "" when it has none.
std::string ManifestOf(const std::string& path) {
    HMODULE hModule = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (hModule == nullptr) return std::string();
    std::string text;
    if (HRSRC hResource = ::FindResourceA(hModule, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
        const HGLOBAL hData = ::LoadResource(hModule, hResource);
        const char* pData = hData != nullptr ? static_cast<const char*>(::LockResource(hData)) : nullptr;
        if (pData != nullptr) text.assign(pData, ::SizeofResource(hModule, hResource));
    }
    ::FreeLibrary(hModule);
    return text;
}

// Whether the system takes the manifest: an executable whose manifest it cannot read does
// not start at all.
bool SystemAcceptsManifest(const std::string& path) {
    ACTCTXA context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEA(1);
    const HANDLE hContext = ::CreateActCtxA(&context);
    if (hContext == INVALID_HANDLE_VALUE) return false;
    ::ReleaseActCtx(hContext);
    return true;
}

class VersionResource {
public:
    explicit VersionResource(const std::string& path) {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
        m_data.resize(size);
        if (size == 0 || !::GetFileVersionInfoA(path.c_str(), 0, size, m_data.data())) m_data.clear();
    }
    const VS_FIXEDFILEINFO* Fixed() const {
        void* pValue = nullptr;
        UINT size = 0;
        if (m_data.empty() || !::VerQueryValueA(m_data.data(), "\\", &pValue, &size) || size < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(pValue);
    }
    std::string String(const char* name) const {
        void* pValue = nullptr;
        UINT size = 0;
        const std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
        if (m_data.empty() || !::VerQueryValueA(m_data.data(), query.c_str(), &pValue, &size)) return "<missing>";
        return static_cast<const char*>(pValue);
    }

private:
    mutable std::vector<char> m_data;
};

class ShippedProgramTest : public ::testing::TestWithParam<ShippedProgram> {
protected:
    std::string Path() const { return kst_test::WindowsPath(GetParam().path); }
};

}  // namespace

TEST_P(ShippedProgramTest, ManifestRunsItAsTheUserInTheAnsiCodePageWithoutScalingOrNewControls) {
    const std::string manifest = ManifestOf(Path());
    ASSERT_FALSE(manifest.empty()) << "no manifest in " << Path();
    EXPECT_TRUE(SystemAcceptsManifest(Path())) << "the system refuses the manifest";
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
    for (const char* os : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"{") + os + "}\"/>"), std::string::npos) << os;
    EXPECT_NE(manifest.find(">Legacy</activeCodePage>"), std::string::npos);
    EXPECT_NE(manifest.find(">false</dpiAware>"), std::string::npos);
    for (const char* absent : {"dpiAwareness", "longPathAware", "Microsoft.Windows.Common-Controls", "UTF-8<"})
        EXPECT_EQ(manifest.find(absent), std::string::npos) << absent;
}

TEST_P(ShippedProgramTest, ImportsOnlyKnownDllsAndIsHardened) {
    const PeFile pe(Path());
    ASSERT_TRUE(pe.Valid()) << Path();
    const std::vector<std::string> imports = pe.ImportedDlls();
    EXPECT_FALSE(imports.empty());
    for (const std::string& dll : imports) EXPECT_EQ(kKnownDlls.count(Lower(dll)), 1u) << dll << " is not a known DLL";

    const WORD characteristics = pe.Headers().OptionalHeader.DllCharacteristics;
    EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    EXPECT_TRUE(characteristics & IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE);
    // No debugging sections: their long names would need the symbol table's strings too.
    for (const std::string& name : pe.SectionNames()) {
        EXPECT_NE(name.rfind(".debug", 0), 0u) << name;
        EXPECT_NE(name.rfind('/', 0), 0u) << name;
    }
    EXPECT_EQ(pe.Headers().FileHeader.PointerToSymbolTable, 0u);
    EXPECT_EQ(pe.Headers().FileHeader.NumberOfSymbols, 0u);
}

TEST_P(ShippedProgramTest, VersionResourceSaysTheProjectsVersionAndItsName) {
    const VersionResource version(Path());
    const VS_FIXEDFILEINFO* pFixed = version.Fixed();
    ASSERT_NE(pFixed, nullptr) << "no version resource in " << Path();
    const WORD numbers[] = {KESTRINE_VERSION_NUMBERS};
    const DWORD most = DWORD(numbers[0]) << 16 | numbers[1];
    const DWORD least = DWORD(numbers[2]) << 16 | numbers[3];
    EXPECT_EQ(pFixed->dwFileVersionMS, most);
    EXPECT_EQ(pFixed->dwFileVersionLS, least);
    EXPECT_EQ(pFixed->dwProductVersionMS, most);
    EXPECT_EQ(pFixed->dwProductVersionLS, least);
    EXPECT_EQ(version.String("FileVersion"), KESTRINE_VERSION_TEXT);
    EXPECT_EQ(version.String("ProductVersion"), KESTRINE_VERSION_TEXT);
    EXPECT_EQ(version.String("ProductName"), "Kestrine");
    EXPECT_EQ(version.String("InternalName"), GetParam().name);
    EXPECT_EQ(version.String("OriginalFilename"), std::string(GetParam().name) + ".exe");
}

INSTANTIATE_TEST_SUITE_P(BothExecutables, ShippedProgramTest, ::testing::ValuesIn(kShippedPrograms),
                         [](const ::testing::TestParamInfo<ShippedProgram>& param) { return std::string(param.param.name); });

namespace {

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

struct MainWindowSearch {
    DWORD processId;
    HWND hFound;
};

BOOL CALLBACK FindVisibleWindowOf(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<MainWindowSearch*>(lParam);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hWnd, &processId);
    if (processId != search->processId || !::IsWindowVisible(hWnd)) return TRUE;
    search->hFound = hWnd;
    return FALSE;
}

// The program started from a folder of its own, ended again through its window.
class CStartedCopy {
public:
    explicit CStartedCopy(const std::string& exePath) {
        std::string commandLine = "\"" + exePath + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, Folder(exePath).c_str(),
                             &startup, &m_process)) {
            ::CloseHandle(m_process.hThread);
            m_process.hThread = nullptr;
        }
    }
    ~CStartedCopy() {
        if (m_process.hProcess == nullptr) return;
        if (::WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) ::TerminateProcess(m_process.hProcess, 1);
        ::WaitForSingleObject(m_process.hProcess, 10000);
        ::CloseHandle(m_process.hProcess);
    }
    CStartedCopy(const CStartedCopy&) = delete;
    CStartedCopy& operator=(const CStartedCopy&) = delete;

    HWND WaitForWindow(DWORD timeoutMs) const {
        for (DWORD waited = 0; m_process.hProcess != nullptr && waited < timeoutMs; waited += 100) {
            MainWindowSearch search{m_process.dwProcessId, nullptr};
            ::EnumWindows(FindVisibleWindowOf, reinterpret_cast<LPARAM>(&search));
            if (search.hFound != nullptr) return search.hFound;
            if (::WaitForSingleObject(m_process.hProcess, 100) != WAIT_TIMEOUT) return nullptr;
        }
        return nullptr;
    }
    bool WaitForEnd(DWORD timeoutMs) const {
        return m_process.hProcess != nullptr && ::WaitForSingleObject(m_process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }

private:
    PROCESS_INFORMATION m_process{};
};

}  // namespace

TEST(ShippedProgram, StartedFromAFolderHoldingPlantedLibrariesItLoadsNoneOfThem) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "kst_planted\\";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string exe = folder + "kestrine.exe";
    ASSERT_TRUE(::CopyFileA(kst_test::WindowsPath(KST_PROGRAM_PATH).c_str(), exe.c_str(), FALSE));
    // The stand-in library leaves "<its path>.loaded" beside itself whenever it is loaded.
    const std::string planted = kst_test::WindowsPath(KST_PLANTED_LIBRARY_PATH);
    const char* const names[] = {"comctl32.dll", "dwmapi.dll"};
    for (const char* name : names) {
        ::DeleteFileA((folder + name + ".loaded").c_str());
        ASSERT_TRUE(::CopyFileA(planted.c_str(), (folder + name).c_str(), FALSE)) << name;
    }
    // The copy must not register itself for the user as the program: a start after
    // /unregister leaves the registration alone.
    const char kNoteKey[] = "Software\\Pellacore\\Software\\Kestrine\\Shell";
    HKEY hNote = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kNoteKey, 0, nullptr, 0, KEY_WRITE, nullptr, &hNote, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExA(hNote, "Unregistered", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
    ::RegCloseKey(hNote);
    {
        CStartedCopy program(exe);
        const HWND hMain = program.WaitForWindow(60000);
        EXPECT_NE(hMain, nullptr) << "the program did not come up";
        if (hMain != nullptr) ::PostMessageA(hMain, WM_CLOSE, 0, 0);
        EXPECT_TRUE(program.WaitForEnd(30000));
    }
    ::SHDeleteKeyA(HKEY_CURRENT_USER, kNoteKey);
    for (const char* name : names) {
        EXPECT_EQ(::GetFileAttributesA((folder + name + ".loaded").c_str()), INVALID_FILE_ATTRIBUTES)
            << name << " beside the program was loaded";
        ::DeleteFileA((folder + name + ".loaded").c_str());
        ::DeleteFileA((folder + name).c_str());
    }
    ::DeleteFileA(exe.c_str());
    ::RemoveDirectoryA(folder.c_str());
}
