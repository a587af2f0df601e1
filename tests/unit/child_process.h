// Runs code that may end the process in a child, capturing what it writes to
// standard output and how it ends.
#pragma once

#include <functional>
#include <string>

struct ChildResult {
    std::string output;
    int status;  // exit status, or 1000 + signal number when killed
};

/// Forks, feeds `input` to the child's standard input, runs `body` there and
/// ends the child with status 0 if `body` returns.
ChildResult runInChild(const std::function<void()>& body, const std::string& input = "");

/// Points this process's standard input at a file holding `input`.
void useAsStandardInput(const std::string& input);
