#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "mm/wave_out_player.h"
#include "tests/mm/fake_wave_out.h"
#include "tests/mm/format_blocks.h"
#include "tests/support/test_support.h"

namespace {
// Plays a fixed block of bytes once.
class BytesPlayer : public WaveOutPlayer {
public:
    BytesPlayer(DeviceSettings* entry, std::vector<u8> bytes)
        : WaveOutPlayer(entry, 5, 3, 20), bytes(std::move(bytes)) {
        stopped = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
    ~BytesPlayer() override { CloseHandle(stopped); }

    std::vector<u8> bytes;
    size_t offset = 0;
    HANDLE stopped;

protected:
    void fillBuffer(WaveBuffer& b) override {
        u32 n = (u32)std::min<size_t>(bufferBytes(), bytes.size() - offset);
        memcpy(b.data, bytes.data() + offset, n);
        offset += n;
        b.header.dwBufferLength = n;
        b.position = offset;
    }
    void onStopped() override { SetEvent(stopped); }
};

std::string windowsPathOf(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace

TEST(WaveOutDevice, PlayedBytesArriveAtTheDevice) {
    const char* out = getenv("RAVO_ALSA_OUT");
    ASSERT_NE(out, nullptr) << "the test set-up names the device's output file";
    ASSERT_EQ(waveOutGetNumDevs(), 1u);

    // A second of 16-bit stereo noise that no device would make up.
    std::vector<u8> signal(44100 * 4);
    u32 seed = 12345;
    for (size_t i = 0; i < signal.size(); i += 2) {
        seed = seed * 1103515245 + 12345;
        i16 s = (i16)((seed >> 16) % 60001 - 30000);
        memcpy(&signal[i], &s, 2);
    }

    // What an earlier run left must not count.
    std::string outPath = windowsPathOf(out);
    DeleteFileA(outPath.c_str());

    TestEntry entry;
    RecordingHandler sink;
    BytesPlayer player(&entry, signal);
    player.errorSink = &sink;
    WAVEFORMATEX format = pcmFormat(2, 44100, 16);
    ASSERT_TRUE(player.start(&format));
    ASSERT_EQ(WaitForSingleObject(player.stopped, 20000), WAIT_OBJECT_0);
    player.stopAndWait(false);
    EXPECT_TRUE(sink.reports.empty()) << sink.lastText();

    std::string arrived = readWholeFile(outPath);
    std::string sent(signal.begin(), signal.end());
    EXPECT_NE(arrived.find(sent), std::string::npos) << arrived.size() << " bytes arrived";
}
