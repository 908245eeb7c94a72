#pragma once
// Runs the native sox of the test machine from a test under Wine, to make WAVE files as another
// program writes them and to decode the files this program writes.
#include <string>

// The Unix path of a Windows path ("" when Wine cannot map it).
std::string unixPath(const std::string& windowsPath);
// Runs "sox <arguments>" (file names as Unix paths, quoted by the caller) and waits for it to end.
// Its exit code, or -1 when it could not be started or did not end within a minute.
int runSox(const std::string& arguments);
// The same for any native program: "program arguments", as one shell command line.
int runUnixTool(const std::string& commandLine);
