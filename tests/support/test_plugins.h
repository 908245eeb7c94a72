#pragma once
// The tests' own plug-in libraries, built into "test_plugins" beside the test program.
#include <string>

class TempDir;

// The folder of the built test plug-ins.
std::string testPluginFolder();
// "<folder>\<name>.dll", e.g. testPluginPath("gain_plugin").
std::string testPluginPath(const char* name);
// Copies a built test plug-in into dir under fileName; the copy's path.
std::string copyTestPlugin(const TempDir& dir, const char* name, const std::string& fileName);
