// The player page's console, compiled into the studio engine under names of
// its own: studio_console.cpp passes the console calls on to it.
#define consoleReadByte webConsoleReadByte
#define consolePrepareForInput webConsolePrepareForInput
#define writeOutput webWriteOutput
#define writeText webWriteText
#define finishOutput webFinishOutput
#define exitWithFailure webExitWithFailure
#define startConsole webStartConsole
#include "web_console.cpp"
