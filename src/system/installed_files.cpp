#include "installed_files.h"

#include <cstdio>
#include <cstring>

#if defined(__linux__)
#include <unistd.h>
#elif defined(_WIN32)
#include <windows.h>
#endif

// Set by the build from the install directories, e.g. "bin" and "../share/kaland".
#ifndef KALAND_INSTALL_BINDIR
#define KALAND_INSTALL_BINDIR "bin"
#endif
#ifndef KALAND_DATA_FROM_BINDIR
#define KALAND_DATA_FROM_BINDIR "../share/kaland"
#endif

namespace {

// The folder of the running executable, without a trailing separator.
bool findExecutableFolder(char* folder, std::size_t size) {
    std::size_t length = 0;
#if defined(__linux__)
    ssize_t read = readlink("/proc/self/exe", folder, size - 1);
    if (read <= 0) return false;
    length = static_cast<std::size_t>(read);
#elif defined(_WIN32)
    DWORD read = GetModuleFileNameA(nullptr, folder, static_cast<DWORD>(size));
    if (read == 0 || read >= size) return false;
    length = read;
    for (std::size_t i = 0; i < length; ++i) {
        if (folder[i] == '\\') folder[i] = '/';
    }
#else
    (void)size;
    return false;
#endif
    folder[length] = '\0';
    char* lastSeparator = std::strrchr(folder, '/');
    if (lastSeparator == nullptr) return false;
    *lastSeparator = '\0';
    return true;
}

// Whether `folder` ends in the last part of the install's bin folder.
bool isInstalledBinFolder(const char* folder) {
    const char* binName = std::strrchr(KALAND_INSTALL_BINDIR, '/');
    binName = binName == nullptr ? KALAND_INSTALL_BINDIR : binName + 1;
    const char* folderName = std::strrchr(folder, '/');
    return folderName != nullptr && std::strcmp(folderName + 1, binName) == 0;
}

// Goes up one folder for each leading "../" of `relative`, so that paths
// read /usr/share/kaland rather than /usr/bin/../share/kaland.
const char* climbFolders(char* folder, const char* relative) {
    while (std::strncmp(relative, "../", 3) == 0) {
        char* lastSeparator = std::strrchr(folder, '/');
        if (lastSeparator == nullptr || lastSeparator == folder) break;
        *lastSeparator = '\0';
        relative += 3;
    }
    return relative;
}

bool canOpen(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

}  // namespace

bool findInstalledFile(const char* name, char* path, std::size_t size) {
#if defined(_WIN32)
    // The Windows download is installed by unpacking it: one folder with the
    // programs and their files side by side, wherever the user puts it.
    return findFileBesideExecutable(name, path, size);
#endif
    char folder[4096];
    if (!findExecutableFolder(folder, sizeof folder) || !isInstalledBinFolder(folder)) return false;
    const char* relative = climbFolders(folder, KALAND_DATA_FROM_BINDIR "/");
    int written = std::snprintf(path, size, "%s/%s%s", folder, relative, name);
    if (written < 0 || static_cast<std::size_t>(written) >= size) return false;
    return canOpen(path);
}

bool findFileBesideExecutable(const char* name, char* path, std::size_t size) {
    char folder[4096];
    if (!findExecutableFolder(folder, sizeof folder)) return false;
    int written = std::snprintf(path, size, "%s/%s", folder, name);
    if (written < 0 || static_cast<std::size_t>(written) >= size) return false;
    return canOpen(path);
}
