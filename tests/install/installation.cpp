#include "installation.h"

#include <regex>

namespace install {
namespace {

// An install downloads and unpacks; the runners' disks are not fast.
constexpr std::chrono::seconds kInstallTime{600};
constexpr std::chrono::seconds kCommandTime{120};

}  // namespace

Installation::Installation(std::filesystem::path tool, const std::wstring& install, std::wstring uninstall)
    : tool_(std::move(tool)), uninstall_(std::move(uninstall)), installed_(Run(tool_, install, kInstallTime)) {}

// Also after a failed install: it may have got half-way.
Installation::~Installation() {
    if (!removed_) Uninstall();
}

CommandResult Installation::Uninstall() {
    removed_ = true;
    return Run(tool_, uninstall_, kInstallTime);
}

WingetAdminSetting::WingetAdminSetting(std::filesystem::path winget, std::wstring name)
    : winget_(std::move(winget)), name_(std::move(name)) {
    const CommandResult exported = Run(winget_, L"settings export", kCommandTime);
    // Appended, not concatenated: GCC 12 warns wrongly (-Wrestrict) on "..." + std::string.
    std::string pattern = "\"";
    pattern += Utf8(name_);
    pattern += "\"\\s*:\\s*true";
    const std::regex on(pattern);
    was_on_ = exported.Succeeded() && std::regex_search(exported.output, on);
    enabled_ = Run(winget_, L"settings --enable " + name_, kCommandTime);
}

WingetAdminSetting::~WingetAdminSetting() {
    if (!was_on_) Run(winget_, L"settings --disable " + name_, kCommandTime);
}

}  // namespace install
