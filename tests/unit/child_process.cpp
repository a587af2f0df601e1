#include "child_process.h"

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "console_text.h"

void useAsStandardInput(const std::string& input) {
    char path[] = "/tmp/kaland_input_XXXXXX";
    int descriptor = mkstemp(path);
    if (descriptor < 0) std::abort();
    if (write(descriptor, input.data(), input.size()) != static_cast<ssize_t>(input.size())) std::abort();
    close(descriptor);
    if (std::freopen(path, "rb", stdin) == nullptr) std::abort();
    unlink(path);
}

ChildResult runInChild(const std::function<void()>& body, const std::string& input) {
    int channel[2];
    if (pipe(channel) != 0) std::abort();
    std::fflush(stdout);
    pid_t child = fork();
    if (child < 0) std::abort();
    if (child == 0) {
        close(channel[0]);
        dup2(channel[1], STDOUT_FILENO);
        close(channel[1]);
        useAsStandardInput(input);
        body();
        finishOutput();
        _exit(0);
    }
    close(channel[1]);
    ChildResult result{"", -1};
    char chunk[4096];
    ssize_t count;
    while ((count = read(channel[0], chunk, sizeof chunk)) > 0) result.output.append(chunk, count);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    return result;
}
