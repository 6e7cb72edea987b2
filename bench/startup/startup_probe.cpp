// Measures start-up: the time from process creation to the program's first
// visible top-level window, for several programs started by turns in one run
// (the order rotates every round), and each program's peak working set and
// the CPU time it uses while its window sits idle.
//
//   startup_probe ROUNDS PROGRAM BASELINE...
//
// Prints, per program, the median and quartiles in milliseconds, the median
// peak working set and its idle CPU time (total over the stretches measured,
// and in how many of them any was seen); then, per baseline, the
// ratio PROGRAM / BASELINE of each round (the two were started next to each
// other, so they share that moment's load): median, quartiles and extremes.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD kSettleMs = 200;      // after the window shows, before reading memory
constexpr DWORD kIdleMs = 1000;       // the idle stretch whose CPU time is measured
// Rounds in which the idle CPU time is measured. Wine reports another
// process's CPU time in 10 ms clock ticks, so one stretch says little: any
// program, the minimal window too, now and then crosses a tick.
constexpr int kIdleChecks = 10;

struct Sample {
    double ms = 0;
    double peak_kib = 0;
    double idle_cpu_ms = -1;  // not measured
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

double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](FILETIME t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 10000.0;  // 100 ns ticks
}

bool RunOnce(const std::wstring& program, bool check_idle, Sample& sample) {
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
    Sleep(kSettleMs);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters)) {
        sample.peak_kib = static_cast<double>(counters.PeakWorkingSetSize) / 1024.0;
    }
    // A program that has shown a window has used some CPU time: none means
    // the system does not report it for other processes.
    if (check_idle && shown) {
        const double before = CpuMs(pi.hProcess);
        Sleep(kIdleMs);
        if (before > 0) sample.idle_cpu_ms = CpuMs(pi.hProcess) - before;
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

const wchar_t* BaseName(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return path.c_str() + (slash == std::wstring::npos ? 0 : slash + 1);
}

// Which build this is and what runs it: the probe is built for the same
// architecture as the programs it starts.
void PrintPlatform() {
    using WineVersionFn = const char*(CDECL*)();
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto wine_version = ntdll ? reinterpret_cast<WineVersionFn>(reinterpret_cast<void*>(
                                          GetProcAddress(ntdll, "wine_get_version")))
                                    : nullptr;
    const wchar_t* build = sizeof(void*) == 8 ? L"win64 (x86-64)" : L"win32 (i686)";
    if (wine_version) {
        std::wprintf(L"platform: %ls builds under %d-bit Wine %hs\n", build, sizeof(void*) == 8 ? 64 : 32,
                     wine_version());
    } else {
        std::wprintf(L"platform: %ls builds under Windows\n", build);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fwprintf(stderr, L"usage: startup_probe ROUNDS PROGRAM BASELINE...\n");
        return 2;
    }
    const int rounds = std::max(1, _wtoi(argv[1]));
    const std::vector<std::wstring> programs(argv + 2, argv + argc);
    const std::size_t count = programs.size();
    std::vector<std::vector<Sample>> samples(count);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t p = (k + static_cast<std::size_t>(round)) % count;
            Sample sample;
            if (!RunOnce(programs[p], round < kIdleChecks, sample)) {
                std::fwprintf(stderr, L"%ls showed no window\n", programs[p].c_str());
                return 1;
            }
            samples[p].push_back(sample);
        }
    }

    PrintPlatform();
    std::wprintf(L"rounds: %d, each program once per round, order rotating\n", rounds);
    for (std::size_t p = 0; p < count; ++p) {
        std::vector<double> ms, peak;
        double idle = 0;
        int stretches = 0, busy = 0;
        for (const Sample& s : samples[p]) {
            ms.push_back(s.ms);
            peak.push_back(s.peak_kib);
            if (s.idle_cpu_ms < 0) continue;
            idle += s.idle_cpu_ms;
            ++stretches;
            if (s.idle_cpu_ms > 0) ++busy;
        }
        std::wprintf(L"program %ls: median %.1f ms (quartiles %.1f to %.1f), peak working set %.0f KiB, ",
                     BaseName(programs[p]), Quantile(ms, 0.5), Quantile(ms, 0.25), Quantile(ms, 0.75),
                     Quantile(peak, 0.5));
        if (stretches == 0) {
            std::wprintf(L"idle CPU not reported\n");
        } else {
            const int seconds = stretches * static_cast<int>(kIdleMs) / 1000;
            std::wprintf(L"idle CPU %.0f ms in %d s (some in %d of them)\n", idle, seconds, busy);
        }
    }
    for (std::size_t b = 1; b < count; ++b) {
        std::vector<double> ratios, peaks;
        for (int round = 0; round < rounds; ++round) {
            ratios.push_back(samples[0][static_cast<std::size_t>(round)].ms /
                             samples[b][static_cast<std::size_t>(round)].ms);
            peaks.push_back(samples[0][static_cast<std::size_t>(round)].peak_kib /
                            samples[b][static_cast<std::size_t>(round)].peak_kib);
        }
        std::wprintf(L"ratio %ls / %ls: median %.2f (quartiles %.2f to %.2f, min %.2f, max %.2f); "
                     L"peak working set %.2f\n",
                     BaseName(programs[0]), BaseName(programs[b]), Quantile(ratios, 0.5), Quantile(ratios, 0.25),
                     Quantile(ratios, 0.75), Quantile(ratios, 0.0), Quantile(ratios, 1.0), Quantile(peaks, 0.5));
    }
    return 0;
}
