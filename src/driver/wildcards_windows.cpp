// On Windows the shell passes wildcards on to the program. Setting this makes
// the C runtime expand them before main, so that `kaland-check *.map` checks
// every map there, as it does from a POSIX shell. Quoted arguments, and
// patterns that match no file, are passed on as they are.
extern "C" {
int _dowildcard = -1;
}
