// The running instance's side of the hand-over: reading the command file into the queue, the
// window kind by extension, opening the queue and honouring stop requests; and the writer.
#include "shell/hand_over.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window_kinds.h"
#include "core/paths.h"
#include "gui/kernel/application.h"
#include "shell/program_window.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/test_support.h"

namespace {
std::string dataPath(const char* name) {
    GString path = dataFolder();
    pathJoin(path, name);
    return path.c_str();
}

struct Opened {
    u32 kind;
    std::string path;
};
std::vector<Opened> opened;
void recordOpen(GObjectWindow*, u32 kind, const char* path) { opened.push_back({kind, path}); }

struct QueueGuard {
    QueueGuard() {
        ensureDataFolder();
        queuedFiles.clear();
        queuedCount = stopRequests = 0;
        opened.clear();
        openQueuedFile = recordOpen;
    }
    ~QueueGuard() {
        DeleteFileA(dataPath("command").c_str());
        RemoveDirectoryA(dataPath("command").c_str());
        queuedFiles.clear();
        queuedCount = stopRequests = 0;
        openQueuedFile = saved;
    }
    void (*saved)(GObjectWindow*, u32, const char*) = openQueuedFile;
};

bool commandPresent() { return GetFileAttributesA(dataPath("command").c_str()) != INVALID_FILE_ATTRIBUTES; }
}  // namespace

TEST(HandOver, TheCommandFileQueuesNamesOnceAndCountsStops) {
    QueueGuard guard;
    const struct {
        const char* text;
        std::vector<std::string> queued;
        u32 stops;
    } cases[] = {
        {"-nop", {}, 0},
        {"a.wav \"b c.ovt\" a.wav -x a.wav", {"a.wav", "b c.ovt"}, 0},
        {"-stop d.wav", {}, 1},
        {"e.wav -stop f.wav", {"e.wav"}, 1},
    };
    for (const auto& c : cases) {
        queuedFiles.clear();
        queuedCount = stopRequests = 0;
        ASSERT_TRUE(writeCommandFile("command", c.text));
        pollCommandFile();
        EXPECT_EQ(c.queued, queuedFiles) << c.text;
        EXPECT_EQ(c.queued.size(), queuedCount) << c.text;
        EXPECT_EQ(c.stops, stopRequests) << c.text;
        EXPECT_FALSE(commandPresent()) << c.text;
    }
    // A name still queued from an earlier command is not queued again.
    queuedFiles = {"g.wav"};
    queuedCount = 1;
    writeCommandFile("command", "g.wav h.wav");
    pollCommandFile();
    EXPECT_EQ((std::vector<std::string>{"g.wav", "h.wav"}), queuedFiles);

    // A folder named "command" is no command.
    ASSERT_TRUE(CreateDirectoryA(dataPath("command").c_str(), nullptr));
    queuedFiles.clear();
    pollCommandFile();
    EXPECT_TRUE(queuedFiles.empty());
    EXPECT_TRUE(pathIsDirectory(dataPath("command").c_str()));
}

TEST(HandOver, TheWriterLeavesOnlyTheWholeFile) {
    QueueGuard guard;
    TempDir before;
    auto names = [] {
        std::vector<std::string> list;
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA(dataPath("*").c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) return list;
        do list.push_back(data.cFileName);
        while (FindNextFileA(h, &data));
        FindClose(h);
        return list;
    };
    std::vector<std::string> start = names();
    ASSERT_TRUE(writeCommandFile("command", "x.wav y.wav"));
    EXPECT_EQ("x.wav y.wav", readWholeFile(dataPath("command")));
    EXPECT_EQ(start.size() + 1, names().size());
    // A pending command is never overwritten.
    EXPECT_FALSE(writeCommandFile("command", "z.wav"));
    EXPECT_EQ("x.wav y.wav", readWholeFile(dataPath("command")));
    EXPECT_EQ(start.size() + 1, names().size());
}

TEST(HandOver, TheKindOfAFileIsChosenByItsExactExtension) {
    const struct {
        const char* name;
        u32 kind;
    } cases[] = {
        {"a.ovt", KindSpectrum}, {"a.md", KindNotesEditor}, {"x\\a.bins", KindInstrument}, {"a.wav", KindEditor},
        {"a.b.mp3", KindEditor}, {"a.dls", KindEditor},     {"a.WAV", KindAnalyzer},       {"noext", KindAnalyzer},
        {"a.", KindAnalyzer},    {"a.txt", KindAnalyzer},
    };
    for (const auto& c : cases) EXPECT_EQ(c.kind, windowKindForFile(c.name)) << c.name;
}

TEST(HandOver, QueuedNamesWaitForAWindowAndStopsComeFirst) {
    TestApplication app;
    QueueGuard guard;
    queuedFiles = {"a.wav", "", "b.WAV"};
    queuedCount = 2;
    // No main window: the names stay.
    u32 windows = objectWindowCount;
    if (windows == 0) {
        openQueuedFiles();
        EXPECT_TRUE(opened.empty());
        EXPECT_EQ(2u, queuedCount);
    }
    ProgramWindow* window = createObjectWindow(TypeTabbedPlacer, -1, nullptr, 2);
    ASSERT_NE(nullptr, window);
    openQueuedFiles();
    ASSERT_EQ(2u, opened.size());
    EXPECT_EQ(KindEditor, opened[0].kind);
    EXPECT_EQ("b.WAV", opened[1].path);
    EXPECT_EQ(KindAnalyzer, opened[1].kind);
    EXPECT_EQ(0u, queuedCount);
    EXPECT_TRUE(queuedFiles.empty());

    // A stop with nothing queued quits.
    stopRequests = 1;
    openQueuedFiles();
    EXPECT_EQ(0u, stopRequests);
    EXPECT_TRUE(pumpUntil([&] { return objectWindowCount == windows; }));
    while (PeekMessageA(nullptr, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}
