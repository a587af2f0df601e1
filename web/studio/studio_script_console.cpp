// The checker's key-script console, compiled into the studio engine under
// names of its own: studio_console.cpp passes the console calls on to it
// while coverage plays its scripts.
#define consoleReadByte scriptConsoleReadByte
#define consolePrepareForInput scriptConsolePrepareForInput
#define writeOutput scriptWriteOutput
#define writeText scriptWriteText
#define finishOutput scriptFinishOutput
#define exitWithFailure scriptExitWithFailure
#define startConsole scriptStartConsole
#define startScriptConsole scriptStartScriptConsole
#include "script_console.cpp"
