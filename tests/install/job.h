// A job object that holds a started program and everything it starts, and
// ends whatever of it still runs when the job goes: a failed test leaves no
// installer or converter running.
#pragma once

#include <windows.h>

#include <chrono>
#include <vector>

namespace install {

class Job {
public:
    Job();
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;
    ~Job();

    void Add(HANDLE process) const;
    std::vector<DWORD> ProcessIds() const;
    bool WaitForAllToEnd(std::chrono::milliseconds timeout) const;

private:
    HANDLE job_ = nullptr;
};

}  // namespace install
