// A package installed by its package manager for one test, and removed again
// when the test ends, however it ends; and an administrator's setting of the
// package manager, switched on for the test and back off if it was off.
#pragma once

#include <filesystem>
#include <string>

#include "commands.h"

namespace install {

class Installation {
public:
    // Runs TOOL INSTALL now; TOOL UNINSTALL at Uninstall() or at the end.
    Installation(std::filesystem::path tool, const std::wstring& install, std::wstring uninstall);
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;
    ~Installation();

    const CommandResult& Installed() const { return installed_; }
    CommandResult Uninstall();

private:
    std::filesystem::path tool_;
    std::wstring uninstall_;
    CommandResult installed_;
    bool removed_ = false;
};

// winget settings --enable NAME, and --disable NAME at the end unless
// `winget settings export` showed it on before.
class WingetAdminSetting {
public:
    WingetAdminSetting(std::filesystem::path winget, std::wstring name);
    WingetAdminSetting(const WingetAdminSetting&) = delete;
    WingetAdminSetting& operator=(const WingetAdminSetting&) = delete;
    ~WingetAdminSetting();

    const CommandResult& Enabled() const { return enabled_; }

private:
    std::filesystem::path winget_;
    std::wstring name_;
    bool was_on_ = false;
    CommandResult enabled_;
};

}  // namespace install
