#include "run_sequence.h"

int main(int argc, char** argv) {
    return runSequence(argc, argv);
}
