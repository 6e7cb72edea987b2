// A DLL dropped beside the program (a Downloads folder) under the name of
// one that the program or the system DLLs it uses load, and that Windows
// does not keep among its KnownDLLs, is never loaded: on Windows, with
// Windows' own loader. Under Wine, ctest's release_DllPlanting makes the
// same check with Wine told to prefer the planted DLLs.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "accessible_client.h"
#include "app_session.h"
#include "http_handler.h"
#include "system_settings.h"
#include "user_input.h"
#include "wait_for.h"

namespace e2e {
namespace {

// The names of release-checks.sh, version.dll (which Wine's start-up cannot
// do without, so that only Windows can check it) and what the
// accessibility, shell and theme DLLs load on Windows 10 and 11.
const wchar_t* const kPlantedNames[] = {
    L"uxtheme",     L"dwmapi",      L"comctl32",         L"oleacc",        L"winmm",        L"propsys",
    L"profapi",     L"cryptbase",   L"cryptsp",          L"sspicli",       L"secur32",      L"wtsapi32",
    L"shcore",      L"msimg32",     L"dbghelp",          L"userenv",       L"winsta",       L"bcrypt",
    L"windowscodecs", L"mpr",       L"dwrite",           L"apphelp",       L"netapi32",     L"uiautomationcore",
    L"textshaping", L"iphlpapi",    L"winhttp",          L"version",       L"oleaccrc",     L"windows.storage",
    L"wldp",        L"kernel.appcore", L"urlmon",        L"iertutil",      L"edputil",      L"ntmarta",
    L"powrprof",    L"umpdc",       L"srvcli",           L"netutils",      L"coremessaging", L"textinputframework",
    L"wintypes",
};

std::wstring PlantedDll() { return FromEnvironment(L"CONVERT_E2E_PLANTED_DLL", CONVERT_E2E_PLANTED_DLL); }

// A folder of its own in %TEMP%, removed with all it holds.
class TempFolder {
public:
    explicit TempFolder(const wchar_t* name) {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        path_ = std::filesystem::path(temp) / (name + std::to_wstring(GetCurrentProcessId()));
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        std::filesystem::create_directories(path_, ignored);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::wstring operator/(const std::wstring& name) const { return (path_ / name).wstring(); }
    std::wstring Path() const { return path_.wstring(); }

private:
    std::filesystem::path path_;
};

// An environment variable of this process, which the programs it starts
// inherit, set for the length of a test.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[32768];
        const DWORD length = GetEnvironmentVariableW(name, old, 32768);
        if (length > 0 && length < 32768) old_ = old;
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const wchar_t* name_;
    std::optional<std::wstring> old_;
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The stand-in, loaded on purpose from `folder`, says so in `loaded`: else
// the check below would see nothing.
void CheckStandInRecordsItsLoad(const TempFolder& folder, const std::wstring& loaded) {
    const std::wstring probe = folder / L"probe.dll";
    ASSERT_TRUE(CopyFileW(PlantedDll().c_str(), probe.c_str(), FALSE)) << "error " << GetLastError();
    const HMODULE probed = LoadLibraryW(probe.c_str());
    ASSERT_TRUE(probed) << "error " << GetLastError();
    FreeLibrary(probed);
    const std::string record = ReadFileText(loaded);
    EXPECT_NE(record.find("probe.dll <- "), std::string::npos) << "the stand-in recorded \"" << record << "\"";
    DeleteFileW(loaded.c_str());
}

TEST(DllPlanting, TheStandInRecordsItsLoad) {
    const TempFolder folder(L"convert-e2e-probe-");
    const std::wstring loaded = TempFile(L"convert-e2e-probed-");
    DeleteFileW(loaded.c_str());
    const ScopedEnvironment log(L"CONVERT_PLANTED_LOG", loaded);
    CheckStandInRecordsItsLoad(folder, loaded);
}

// The program started from that folder, with it as its current folder, as
// Explorer starts a program double-clicked in Downloads, in a session that
// makes it load all it loads: dark mode (the title bar's dwmapi), a screen
// reader's question (oleacc), the error box and the credit link (shell32).
TEST(DllPlanting, NoDllBesideTheProgramIsLoaded) {
    if (const auto wine = WineVersion()) {
        GTEST_SKIP() << "under Wine " << *wine << ": Wine's loader; ctest's release_DllPlanting checks it there "
                     << "with DLL overrides";
    }
    const TempFolder folder(L"convert-e2e-planting-");
    const std::wstring program = folder / L"convert.exe";
    ASSERT_TRUE(CopyFileW(ConvertExe().c_str(), program.c_str(), FALSE)) << "error " << GetLastError();
    for (const wchar_t* name : kPlantedNames) {
        const std::wstring planted = folder / (std::wstring(name) + L".dll");
        ASSERT_TRUE(CopyFileW(PlantedDll().c_str(), planted.c_str(), FALSE)) << Utf8(planted);
    }
    const std::wstring loaded = TempFile(L"convert-e2e-planted-");
    DeleteFileW(loaded.c_str());
    const ScopedEnvironment log(L"CONVERT_PLANTED_LOG", loaded);
    ASSERT_NO_FATAL_FAILURE(CheckStandInRecordsItsLoad(folder, loaded));

    AppMode mode;
    ASSERT_TRUE(mode.Set(true));
    const std::wstring record = TempFile(L"convert-e2e-planting-url-");
    DeleteFileW(record.c_str());
    HttpHandler handler(RecorderCommand(record));
    ASSERT_TRUE(handler.Registered()) << handler.Explained();
    {
        AppSession app(program, folder.Path());
        {
            ComApartment com;
            const ComPtr<IAccessible> field = ObjectOf(app.Control(kEdit1));
            ASSERT_TRUE(field);
            EXPECT_EQ(Utf8(NameOf(field.Get()).text), Utf8(L"厘米"));
        }
        app.SetText(kEdit1, L"99999999999");
        ASSERT_TRUE(app.ClickControl(kButton1));
        const auto box = app.WaitForMessageBox();
        ASSERT_TRUE(box) << "no error box";
        ASSERT_TRUE(app.PressOk(*box));
        ASSERT_TRUE(Click(Center(app.ScreenRect(kLabel8))));
        ASSERT_TRUE(WaitFor([&] { return !ReadFileText(record).empty(); }, std::chrono::milliseconds(10000)))
            << "the shell did not start the http handler";
        app.Close();
        const auto code = app.WaitForExit();
        ASSERT_TRUE(code) << "the program did not end";
        EXPECT_EQ(*code, 0u);
    }
    DeleteFileW(record.c_str());
    EXPECT_FALSE(Exists(loaded)) << "planted DLLs were loaded (DLL <- program):\n" << ReadFileText(loaded);
    DeleteFileW(loaded.c_str());
}

}  // namespace
}  // namespace e2e
