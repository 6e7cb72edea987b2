// Installed as users install it. CONVERT_TEST_RELEASE names a release's
// dist/ folder (zips, SHA256SUMS, winget/ and scoop/ manifests): its files
// are served from this machine, a copy of its manifests points there, and
// where the machine has winget or Scoop the package is installed from that
// copy, started by its command as a user starts it, closed and removed.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "app_session.h"
#include "commands.h"
#include "http_get.h"
#include "installation.h"
#include "local_server.h"
#include "release_copy.h"
#include "sha256.h"
#include "user_session.h"

namespace install {
namespace {

// The command the package managers put on PATH (package.toml).
constexpr wchar_t kCommand[] = L"chicun";

std::filesystem::path ReleaseFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableW(L"CONVERT_TEST_RELEASE", folder, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? std::filesystem::path(folder) : std::filesystem::path();
}

constexpr char kNoRelease[] = "no release given: CONVERT_TEST_RELEASE names a release's dist/ folder";

// The release, served once for all the tests of a run.
struct ServedRelease {
    explicit ServedRelease(const std::filesystem::path& dist)
        : server(dist), copy(dist, Utf8(server.BaseUrl())) {}
    LocalServer server;
    ReleaseCopy copy;
};

ServedRelease& Served(const std::filesystem::path& dist) {
    static const std::unique_ptr<ServedRelease> served = std::make_unique<ServedRelease>(dist);
    return *served;
}

std::string FileName(const std::string& url) { return url.substr(url.rfind('/') + 1); }

TEST(ReleaseServed, EveryDownloadOfTheManifestsIsServedWithItsHash) {
    const std::filesystem::path dist = ReleaseFolder();
    if (dist.empty()) GTEST_SKIP() << kNoRelease;
    ServedRelease& release = Served(dist);
    const std::string server = Utf8(release.server.BaseUrl());

    std::set<std::string> zips;
    for (const auto& entry : std::filesystem::directory_iterator(dist)) {
        if (entry.path().extension() == ".zip") zips.insert(entry.path().filename().string());
    }
    std::map<std::string, std::set<std::string>> downloaded;  // manifest -> zips
    for (const Download& download : release.copy.Downloads()) {
        SCOPED_TRACE(download.manifest + ": " + download.url);
        EXPECT_EQ(download.url.rfind(server, 0), 0u)
            << "not moved from " << release.copy.ReleaseBase() << " to the local server " << server;
        ASSERT_EQ(download.sha256.size(), 64u) << "the manifest gives no SHA-256 for it";
        std::string why;
        const std::optional<HttpAnswer> answer = HttpGet(Wide(download.url), why);
        ASSERT_TRUE(answer) << why;
        ASSERT_EQ(answer->status, 200u) << "not served";
        EXPECT_EQ(Sha256Hex(answer->body), download.sha256)
            << FileName(download.url) << " as served is not what the manifest says (SHA-256 above, served first)";
        downloaded[download.manifest].insert(FileName(download.url));
    }
    // Each package manager's manifest downloads every zip of the release,
    // one per architecture.
    std::set<std::string> winget, scoop;
    for (const auto& [manifest, files] : downloaded) {
        (manifest.rfind("winget/", 0) == 0 ? winget : scoop).insert(files.begin(), files.end());
    }
    EXPECT_EQ(winget, zips) << "winget's downloads are not the release's zips";
    EXPECT_EQ(scoop, zips) << "Scoop's downloads are not the release's zips";
}

// One row a package manager: how a user installs the release's package with
// it, and removes it again.
struct PackageManager {
    const char* name;
    const wchar_t* tool;             // as a shell finds it on PATH
    const wchar_t* admin_setting;    // winget's setting it needs on, or nullptr
    const wchar_t* install;          // {manifest}: the copied manifest
    const wchar_t* uninstall;
    std::filesystem::path (ReleaseCopy::*manifest)() const;
};

// A folder of multi-file manifests is a manifest to winget. http to
// 127.0.0.1 is taken: https is required of the community repository's
// manifests, not by the client.
constexpr PackageManager kWinget{
    "winget", L"winget", L"LocalManifestFiles",
    L"install --manifest \"{manifest}\" --accept-package-agreements --accept-source-agreements --disable-interactivity",
    L"uninstall --manifest \"{manifest}\" --accept-source-agreements --disable-interactivity",
    &ReleaseCopy::WingetFolder};
// Scoop installs from a manifest file's path as from a bucket.
constexpr PackageManager kScoop{
    "Scoop", L"scoop", nullptr, L"install \"{manifest}\"", L"uninstall chicun", &ReleaseCopy::ScoopManifest};

std::wstring Fill(std::wstring text, const std::wstring& manifest) {
    const std::wstring mark = L"{manifest}";
    if (const std::size_t at = text.find(mark); at != std::wstring::npos) text.replace(at, mark.size(), manifest);
    return text;
}

void InstallStartAndRemove(const PackageManager& manager) {
    const std::filesystem::path dist = ReleaseFolder();
    if (dist.empty()) GTEST_SKIP() << kNoRelease;
    const std::optional<std::filesystem::path> tool = FindCommand(manager.tool, ProcessPath() + L";" + RegistryPath());
    if (!tool) GTEST_SKIP() << manager.name << " is not on this machine (no " << Utf8(manager.tool) << " on PATH)";
    if (manager.admin_setting && !RunsElevated()) {
        GTEST_SKIP() << manager.name << " installs local manifests only with " << Utf8(manager.admin_setting)
                     << " on, which only an administrator can set";
    }
    ServedRelease& release = Served(dist);
    std::optional<WingetAdminSetting> setting;
    if (manager.admin_setting) {
        setting.emplace(*tool, manager.admin_setting);
        ASSERT_TRUE(setting->Enabled().Succeeded()) << setting->Enabled().output;
    }
    // One left from before would be started instead of the one under test.
    const std::optional<std::filesystem::path> before = FindCommand(kCommand, RegistryPath());
    ASSERT_FALSE(before) << "chicun is on PATH before the install: " << Utf8(before->wstring());
    const std::wstring manifest = (release.copy.*manager.manifest)().wstring();
    const std::size_t requests_before = release.server.Requests().size();

    Installation installation(*tool, Fill(manager.install, manifest), Fill(manager.uninstall, manifest));
    ASSERT_TRUE(installation.Installed().Succeeded())
        << Utf8(tool->wstring()) << " " << Utf8(Fill(manager.install, manifest)) << " (exit "
        << installation.Installed().exit_code << "):\n" << installation.Installed().output;
    const std::vector<std::string> requests = release.server.Requests();
    const bool fetched = std::any_of(requests.begin() + static_cast<std::ptrdiff_t>(requests_before), requests.end(),
                                     [](const std::string& line) { return line.starts_with("GET /convert-") &&
                                                                          line.ends_with(".zip 200"); });
    EXPECT_TRUE(fetched) << "the install fetched no zip from the local server";

    const std::optional<std::filesystem::path> command = FindCommand(kCommand, RegistryPath());
    ASSERT_TRUE(command) << "after the install no chicun is on the PATH a new process gets: " << Utf8(RegistryPath());
    {
        UserSession user(kCommand);
        ASSERT_TRUE(user.Started()) << "cmd.exe did not start";
        const HWND window = user.WaitForWindow(L"TForm1", std::chrono::seconds(60));
        ASSERT_TRUE(window) << "no converter window within 60 s of typing chicun (" << Utf8(command->wstring()) << ")";
        EXPECT_EQ(Utf8(WindowText(window)), Utf8(e2e::kCaption));
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(user.WaitForEnd(std::chrono::seconds(30))) << "still running 30 s after its window was closed";
    }
    const CommandResult removed = installation.Uninstall();
    EXPECT_TRUE(removed.Succeeded()) << "the uninstall (exit " << removed.exit_code << "):\n" << removed.output;
    const std::optional<std::filesystem::path> left = FindCommand(kCommand, RegistryPath());
    EXPECT_FALSE(left) << "after the uninstall chicun is still on PATH: " << Utf8(left->wstring());
}

TEST(Installed, WithWingetStartsByItsCommandAndIsRemovedAgain) { InstallStartAndRemove(kWinget); }
TEST(Installed, WithScoopStartsByItsCommandAndIsRemovedAgain) { InstallStartAndRemove(kScoop); }

}  // namespace
}  // namespace install
