#include "job.h"

#include <cstddef>
#include <cstring>

#include "wait_for.h"

namespace install {

Job::Job() : job_(CreateJobObjectW(nullptr, nullptr)) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job_) SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

Job::~Job() {
    if (job_) CloseHandle(job_);
}

void Job::Add(HANDLE process) const {
    if (job_) AssignProcessToJobObject(job_, process);
}

// The list's array is declared with one element and filled past it: the ids
// are read out of the buffer, not through the array.
std::vector<DWORD> Job::ProcessIds() const {
    constexpr std::size_t kMost = 256;
    constexpr std::size_t kFirst = offsetof(JOBOBJECT_BASIC_PROCESS_ID_LIST, ProcessIdList);
    std::vector<unsigned char> buffer(kFirst + kMost * sizeof(ULONG_PTR));
    JOBOBJECT_BASIC_PROCESS_ID_LIST head{};
    head.NumberOfAssignedProcesses = kMost;
    std::memcpy(buffer.data(), &head, kFirst);
    if (!job_ || !QueryInformationJobObject(job_, JobObjectBasicProcessIdList, buffer.data(),
                                            static_cast<DWORD>(buffer.size()), nullptr)) {
        return {};
    }
    std::memcpy(&head, buffer.data(), kFirst);
    std::vector<DWORD> result;
    for (std::size_t i = 0; i < head.NumberOfProcessIdsInList && i < kMost; ++i) {
        ULONG_PTR id = 0;
        std::memcpy(&id, buffer.data() + kFirst + i * sizeof id, sizeof id);
        result.push_back(static_cast<DWORD>(id));
    }
    return result;
}

bool Job::WaitForAllToEnd(std::chrono::milliseconds timeout) const {
    return e2e::WaitFor([&] {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        return !job_ || (QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                                   sizeof accounting, nullptr) &&
                         accounting.ActiveProcesses == 0);
    }, timeout);
}

}  // namespace install
