#include "console_binding.h"
#include "run_sequence.h"

int main(int argc, char** argv) {
    startConsole();
    return runSequence(argc, argv);
}
