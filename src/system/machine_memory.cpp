#include "machine_memory.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <sys/sysinfo.h>
#elif defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

std::uint64_t machineMemoryBytes() {
#if defined(_WIN32)
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status) != 0) return status.ullTotalPageFile;
#elif defined(__linux__)
    struct sysinfo info;
    if (sysinfo(&info) == 0) {
        return (std::uint64_t{info.totalram} + info.totalswap) * info.mem_unit;
    }
#elif defined(__unix__) || defined(__APPLE__)
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) return std::uint64_t(pages) * std::uint64_t(pageSize);
#endif
    return UINT64_MAX;
}
