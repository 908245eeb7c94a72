#pragma once
// Shared helpers of the test programs.
#include <string>
#include <utility>
#include <vector>

#include "core/error.h"
#include "core/gstring.h"

// Records every report it receives.
class RecordingHandler : public ErrorHandler {
public:
    bool report(const char* text, int code) override {
        reports.emplace_back(text ? text : "", code);
        return answer;
    }
    const std::string& lastText() const { return reports.back().first; }
    int lastCode() const { return reports.back().second; }

    std::vector<std::pair<std::string, int>> reports;
    bool answer = false;
};

// Every message box of the test program lands here instead of on the screen.
struct RecordedBox {
    std::string title;
    std::string text;
};
std::vector<RecordedBox>& recordedBoxes();

// Four little-endian bytes of the value.
std::string u32le(u32 v);
// A language file of the texts, laid out as the build writes them.
std::string languageFile(const std::vector<std::string>& texts);

// The whole content of a file ("" when it cannot be read).
std::string readWholeFile(const std::string& path);
// The file that the test set-up's sound device writes, as a Windows path; empty when none is named.
std::string deviceOutputPath();

// A fresh folder of the test's own under the temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return root; }
    // The folder joined with a name.
    std::string file(const std::string& name) const { return root + "\\" + name; }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    std::vector<std::string> list() const;

private:
    std::string root;
};
