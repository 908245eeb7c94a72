#pragma once
// Shared by the conversion tests: sound files made by sox, decoded by sox, and one task run through
// the batch runner with every box recorded.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/exceptions.h"
#include "gui/kernel/message_box.h"
#include "tests/mm/sox_tool.h"
#include "tests/support/test_support.h"
#include "tools/conversion_task.h"

namespace conversion_fixture {
inline std::vector<std::string>& shownBoxes() {
    static std::vector<std::string> boxes;
    return boxes;
}
inline i32 recordShown(const MessageBoxDescription* d, GWindow*, const char* text) {
    shownBoxes().push_back(text);
    return (i32)d->defaultButton;
}

// Every box the test shows, through showMessageBox or a file's error handler.
struct BoxScope {
    BoxScope() {
        shownBoxes().clear();
        recordedBoxes().clear();
        setMessageBoxSink(recordShown);
    }
    ~BoxScope() { setMessageBoxSink(nullptr); }
    std::string all() const {
        std::string s;
        for (const std::string& b : shownBoxes()) s += b + "\n";
        for (const RecordedBox& b : recordedBoxes()) s += b.text + "\n";
        return s;
    }
};

// Runs the task alone (it is deleted); false when the batch failed or threw.
inline bool runOne(ConversionTask* task, JobProgress* progress = nullptr) {
    ConversionList list;
    list.tasks.push_back(task);
    bool ok = false;
    try {
        ok = runConversionBatch(list, nullptr, progress, false);
    } catch (const GException&) {
        ok = false;
    }
    delete task;
    return ok;
}

inline std::string soxPath(const std::string& windowsPath) { return "'" + unixPath(windowsPath) + "'"; }

// The file decoded by sox to raw 16-bit samples of the given channels and rate.
inline std::vector<i16> soxSamples(const std::string& file, const std::string& format = "") {
    TempDir dir;
    std::string raw = dir.file("out.raw");
    if (runSox(format + " " + soxPath(file) + " -t raw -e signed -b 16 " + soxPath(raw)) != 0) return {};
    std::string bytes = readWholeFile(raw);
    std::vector<i16> s(bytes.size() / 2);
    memcpy(s.data(), bytes.data(), s.size() * 2);
    return s;
}

// The data chunk's samples of a 16-bit WAVE file, read by hand.
inline std::vector<i16> waveSamples(const std::string& file) {
    std::string b = readWholeFile(file);
    size_t at = b.find("data");
    if (at == std::string::npos || at + 8 > b.size()) return {};
    u32 n;
    memcpy(&n, b.data() + at + 4, 4);
    n = std::min<u32>(n, (u32)(b.size() - at - 8));
    std::vector<i16> s(n / 2);
    memcpy(s.data(), b.data() + at + 8, s.size() * 2);
    return s;
}
}  // namespace conversion_fixture
