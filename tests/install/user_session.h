// A command typed into a new shell, as a user starts the installed program:
// cmd.exe with the PATH the registry holds now, the command and all it starts
// (a Scoop shim starts the program as its child) in one job.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "job.h"

namespace install {

class UserSession {
public:
    explicit UserSession(const std::wstring& command);
    UserSession(const UserSession&) = delete;
    UserSession& operator=(const UserSession&) = delete;

    bool Started() const { return started_; }
    // A visible top-level window of the class, of any process of the session.
    HWND WaitForWindow(const wchar_t* window_class, std::chrono::milliseconds timeout) const;
    bool WaitForEnd(std::chrono::milliseconds timeout) const { return job_.WaitForAllToEnd(timeout); }

private:
    Job job_;
    bool started_ = false;
};

std::wstring WindowText(HWND window);

}  // namespace install
