// Measures start-up: the time from process creation to the program's first
// visible top-level window, and the program's peak working set, for two
// programs started alternately in one run.
//
//   startup_probe RUNS PROGRAM_A PROGRAM_B
//
// Prints one line per program: median and quartiles in milliseconds, and
// the median peak working set in KiB.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Sample {
    double ms = 0;
    double peak_kib = 0;
};

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND hwnd, LPARAM lparam) {
    auto* search = reinterpret_cast<Search*>(lparam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && IsWindowVisible(hwnd) && !GetWindow(hwnd, GW_OWNER)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

bool RunOnce(const std::wstring& program, Sample& sample) {
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return false;
    }
    Search search{pi.dwProcessId, nullptr};
    bool shown = false;
    for (int i = 0; i < 20000 && !shown; ++i) {  // at most about 20 s
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        shown = search.found != nullptr;
        if (!shown) Sleep(1);
    }
    QueryPerformanceCounter(&now);
    sample.ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                static_cast<double>(frequency.QuadPart);
    Sleep(200);  // let it settle before reading its memory
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters)) {
        sample.peak_kib = static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
    }
    if (search.found) PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return shown;
}

double Quantile(std::vector<double> values, double q) {
    std::sort(values.begin(), values.end());
    const double position = q * static_cast<double>(values.size() - 1);
    const auto low = static_cast<std::size_t>(position);
    const std::size_t high = std::min(low + 1, values.size() - 1);
    const double weight = position - static_cast<double>(low);
    return values[low] * (1 - weight) + values[high] * weight;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fwprintf(stderr, L"usage: startup_probe RUNS PROGRAM_A PROGRAM_B\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    const std::wstring programs[2] = {argv[2], argv[3]};
    std::vector<double> ms[2], peak[2];
    for (int run = 0; run < runs; ++run) {
        for (int p = 0; p < 2; ++p) {
            Sample sample;
            if (!RunOnce(programs[p], sample)) {
                std::fwprintf(stderr, L"%ls showed no window\n", programs[p].c_str());
                return 1;
            }
            ms[p].push_back(sample.ms);
            peak[p].push_back(sample.peak_kib);
        }
    }
    for (int p = 0; p < 2; ++p) {
        std::wprintf(L"%ls: runs %d, median %.1f ms (quartiles %.1f to %.1f), peak working set %.0f KiB\n",
                     programs[p].c_str(), runs, Quantile(ms[p], 0.5), Quantile(ms[p], 0.25),
                     Quantile(ms[p], 0.75), Quantile(peak[p], 0.5));
    }
    std::wprintf(L"ratio of medians: %.2f\n", Quantile(ms[0], 0.5) / Quantile(ms[1], 0.5));
    return 0;
}
