#include "file_names.h"

namespace {

// Where the last folder of a path ends, or npos.
std::size_t lastSeparator(const std::string& path) {
#if defined(_WIN32)
    return path.find_last_of("/\\:");
#else
    return path.rfind('/');
#endif
}

}  // namespace

std::string withoutExtension(const std::string& path) {
    std::size_t nameStart = lastSeparator(path);
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    std::size_t dot = path.rfind('.');
    return dot != std::string::npos && dot > nameStart ? path.substr(0, dot) : path;
}

std::string fileNamedAfter(const std::string& path, const std::string& ending) {
    std::string base = withoutExtension(path);
    return (base.empty() ? "kaland" : base) + ending;
}
