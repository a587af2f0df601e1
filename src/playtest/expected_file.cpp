#include "expected_file.h"

#include <algorithm>

#include "diagnostic_text.h"
#include "release_names.h"

namespace {

constexpr const char* STATUS_START = "-- exit status ";
constexpr const char* STATUS_END = " --\n";
constexpr const char* NO_NEWLINE_END = ", no newline at end of output --\n";

std::string countLines(const std::string& output) {
    std::size_t lines = static_cast<std::size_t>(std::count(output.begin(), output.end(), '\n'));
    if (!output.empty() && output.back() != '\n') ++lines;
    return plural(lines, "line");
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

#if defined(_WIN32)
constexpr const char* PLAIN_MARKS = "-_./+,:=@%\\";  // a folder's backslash, as cmd.exe reads it
#else
constexpr const char* PLAIN_MARKS = "-_./+,:=@%";
#endif

// Leaves a word alone when a shell reads it as it stands.
std::string shellWord(const std::string& word) {
    bool plain = !word.empty();
    for (char c : word) {
        bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    std::string(PLAIN_MARKS).find(c) != std::string::npos;
        if (!safe) plain = false;
    }
    if (plain) return word;
#if defined(_WIN32)
    return "\"" + word + "\"";  // as cmd.exe and PowerShell read a quoted word
#else
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

}  // namespace

std::string expectedPath(const std::string& scriptPath) {
    return fileBeside(scriptPath, pathFileName(scriptPath) + ".expected");
}

std::string formatExpectedFile(const std::string& output, int status) {
    bool newlineAtEnd = output.empty() || output.back() == '\n';
    return output + (newlineAtEnd ? "" : "\n") + STATUS_START + std::to_string(status) +
           (newlineAtEnd ? STATUS_END : NO_NEWLINE_END);
}

bool parseExpectedFile(const std::string& file, std::string* output, int* status, std::string* error) {
    *error = "its last line is not \"-- exit status N --\": this is not a file that kaland-check --bless wrote";
    if (file.empty() || file.back() != '\n') return false;
    std::size_t previous = file.size() < 2 ? std::string::npos : file.rfind('\n', file.size() - 2);
    std::size_t lineStart = previous == std::string::npos ? 0 : previous + 1;
    std::string last = file.substr(lineStart);
    bool noNewline = endsWith(last, NO_NEWLINE_END);
    std::string start = STATUS_START;
    std::string end = noNewline ? NO_NEWLINE_END : STATUS_END;
    if (last.compare(0, start.size(), start) != 0 || !endsWith(last, end)) return false;
    if (last.size() <= start.size() + end.size() || last.size() > start.size() + end.size() + 3) return false;
    // The newline added before the status line is not part of the output.
    if (noNewline && lineStart == 0) return false;
    int number = 0;
    for (std::size_t i = start.size(); i < last.size() - end.size(); ++i) {
        if (last[i] < '0' || last[i] > '9') return false;
        number = number * 10 + (last[i] - '0');
    }
    if (number > 255) return false;
    output->assign(file, 0, noNewline ? lineStart - 1 : lineStart);
    *status = number;
    error->clear();
    return true;
}

std::string blessCommand(const std::string& mapPath, const std::string& scriptPath) {
    // A name that starts with a dash is no option after "--" ("-" alone is standard input).
    bool dashed = (mapPath.size() > 1 && mapPath[0] == '-') || (scriptPath.size() > 1 && scriptPath[0] == '-');
    return std::string("kaland-check --bless ") + (dashed ? "-- " : "") + shellWord(mapPath) + " " +
           shellWord(scriptPath);
}

std::string blessedLine(const std::string& mapName, const std::string& scriptPath, const std::string& output,
                        int status) {
    return expectedPath(scriptPath) + ": kaland " + mapName + " < " + scriptPath + ": " + countLines(output) +
           " of output, exit status " + std::to_string(status) + "\n";
}

std::string badExpectedFileLine(const std::string& mapPath, const std::string& scriptPath, const std::string& error) {
    return expectedPath(scriptPath) + ": error: " + error + "; make it again with: " +
           blessCommand(mapPath, scriptPath) + "\n";
}

std::string expectSummary(const std::string& mapName, std::size_t same, std::size_t scripts) {
    return mapName + ": " + std::to_string(same) + " of " + plural(scripts, "script") + " played as expected\n";
}
