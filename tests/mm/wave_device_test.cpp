#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <gtest/gtest.h>

#include <string>

#include "mm/mm_error.h"
#include "mm/mm_texts.h"
#include "mm/sound_description.h"
#include "mm/wave_device.h"
#include "tests/mm/fake_wave_out.h"
#include "tests/mm/format_blocks.h"
#include "tests/support/test_support.h"

namespace {
std::string errorText(u32 code) {
    GString s;
    mmErrorText(s, code);
    return s.c_str();
}

// Puts a text into a slot of the module for the test's duration.
class SlotText {
public:
    SlotText(MmText id, const char* text) : slot(kxmmTexts[(u32)id]), saved(slot) { slot = text; }
    ~SlotText() { slot = saved; }

private:
    const char*& slot;
    const char* saved;
};

std::string described(const char* name, u64 bytes, const WAVEFORMATEX* format) {
    GString s;
    describeSound(s, name, bytes, format);
    return s.c_str();
}
}  // namespace

TEST(MmErrorText, KnownCodesEndAsSentencesAndUnknownOnesShowTheNumber) {
    struct Case {
        u32 code;
        std::string text;
    } cases[] = {
        {MMSYSERR_BADDEVICEID, std::string(mmText(MmText::MmErrBadDeviceId)) + "."},
        {MMSYSERR_NODRIVERCB, std::string(mmText(MmText::MmErrNoDriverCallback)) + "."},
        {ACMERR_NOTPOSSIBLE, std::string(mmText(MmText::AcmErrNotPossible)) + "."},
        {WAVERR_SYNC, std::string(mmText(MmText::WaveErrSync)) + "."},
        {WAVERR_UNPREPARED, std::string(mmText(MmText::WaveErrUnprepared)) + "."},
        {MIXERR_INVALVALUE, std::string(mmText(MmText::MixErrInvalidValue)) + "."},
        {mmErrorCodecFailed, std::string(mmText(MmText::MmErrCodecFailed)) + "."},
        {mmErrorInternal, std::string(mmText(MmText::MmErrInternal)) + "."},
        {0, "Unknown error of the sound system: 0"},
        {21, "Unknown error of the sound system: 21"},
        {516, "Unknown error of the sound system: 516"},
    };
    for (const Case& c : cases) EXPECT_EQ(errorText(c.code), c.text) << c.code;

    // The full stop follows only a letter, a digit or a byte of 128 and above.
    {
        SlotText t(MmText::WaveErrBadFormat, "Format refused!");
        EXPECT_EQ(errorText(WAVERR_BADFORMAT), "Format refused!");
    }
    {
        SlotText t(MmText::WaveErrBadFormat, "Format 7");
        EXPECT_EQ(errorText(WAVERR_BADFORMAT), "Format 7.");
    }
    {
        SlotText t(MmText::WaveErrBadFormat, "Formát\xE9");
        EXPECT_EQ(errorText(WAVERR_BADFORMAT), "Formát\xE9.");
    }
    {
        SlotText t(MmText::WaveErrBadFormat, "");
        EXPECT_EQ(errorText(WAVERR_BADFORMAT), "");
    }
    {
        SlotText t(MmText::WaveErrBadFormat, nullptr);
        EXPECT_EQ(errorText(WAVERR_BADFORMAT), "Unknown error of the sound system: 32");
    }
}

TEST(MmErrorText, ReportGoesToTheSinkWithItsCode) {
    EXPECT_FALSE(reportMmError(nullptr, MMSYSERR_NOMEM));
    RecordingHandler sink;
    for (bool answer : {false, true}) {
        sink.answer = answer;
        EXPECT_EQ(reportMmError(&sink, MMSYSERR_NOMEM), answer);
        EXPECT_EQ(sink.lastText(), errorText(MMSYSERR_NOMEM));
        EXPECT_EQ(sink.lastCode(), (int)MMSYSERR_NOMEM);
    }
}

TEST(WaveDeviceCalls, FailuresAnswerWhatTheSinkAnswers) {
    FakeWaveOut fake(false);
    WaveDevice device(false);
    fake.attach(device);
    fake.openResult = MMSYSERR_ALLOCATED;
    WAVEFORMATEX format = pcmFormat(2, 8000, 16);

    EXPECT_FALSE(openWaveOut(device, &format)) << "no sink: false, nothing reported";
    EXPECT_EQ(device.handle, nullptr);
    RecordingHandler sink;
    device.errorSink = &sink;
    sink.answer = true;
    EXPECT_TRUE(openWaveOut(device, &format)) << "the sink lets the caller go on";
    ASSERT_EQ(sink.reports.size(), 1u);
    EXPECT_EQ(sink.lastCode(), (int)MMSYSERR_ALLOCATED);

    fake.openResult = 0;
    sink.answer = false;
    ASSERT_TRUE(openWaveOut(device, &format));
    EXPECT_NE(device.handle, nullptr);
    fake.pauseResult = MMSYSERR_NOTSUPPORTED;
    EXPECT_FALSE(waveOutPauseChecked(device));
    EXPECT_EQ(sink.lastText(), errorText(MMSYSERR_NOTSUPPORTED));
    EXPECT_TRUE(waveOutRestartChecked(device));
    EXPECT_TRUE(waveOutCloseChecked(device));
    EXPECT_EQ(device.handle, nullptr);
    EXPECT_EQ(sink.reports.size(), 2u);
}

TEST(WaveDeviceCalls, PreferredDevice) {
    struct Case {
        u32 devices, deviceId, messageResult;
        bool sinkAnswer;
        bool result;
        u32 deviceIdAfter;
        bool messageSent;
    } cases[] = {
        {1, 3, 0, false, true, 3, false},   // one device: nothing to choose
        {4, 0, 0, false, true, 0, false},   // device 0 is the preferred one already
        {4, 3, 0, false, true, 0, true},
        {4, 3, MMSYSERR_NOTSUPPORTED, false, false, 3, true},
        {4, 3, MMSYSERR_NOTSUPPORTED, true, true, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.devices << " devices, device " << c.deviceId << ", result "
                                        << c.messageResult << ", sink " << c.sinkAnswer);
        FakeWaveOut fake(false);
        WaveDevice device(false);
        fake.attach(device);
        RecordingHandler sink;
        sink.answer = c.sinkAnswer;
        device.errorSink = &sink;
        fake.devices = c.devices;
        fake.messageResult = c.messageResult;
        device.deviceId = c.deviceId;
        EXPECT_EQ(setPreferredWaveOut(device), c.result);
        EXPECT_EQ(device.deviceId, c.deviceIdAfter);
        EXPECT_EQ(fake.countCalls("message"), c.messageSent ? 1u : 0u);
        EXPECT_EQ(sink.reports.size(), c.messageResult ? 1u : 0u);
    }
}

TEST(WaveDeviceCalls, RealDeviceThatDoesNotExist) {
    WaveDevice device(false);
    RecordingHandler sink;
    device.errorSink = &sink;
    device.deviceId = waveOutGetNumDevs() + 5;
    WAVEFORMATEX format = pcmFormat(2, 44100, 16);
    EXPECT_FALSE(openWaveOut(device, &format));
    ASSERT_EQ(sink.reports.size(), 1u);
    EXPECT_EQ(sink.lastCode(), (int)MMSYSERR_BADDEVICEID);
    EXPECT_EQ(sink.lastText(), errorText(MMSYSERR_BADDEVICEID));

    // The one device there is answers for its capabilities.
    WAVEOUTCAPSA caps;
    device.deviceId = 0;
    EXPECT_TRUE(getWaveOutDeviceCaps(device, &caps));
    EXPECT_NE(caps.szPname[0], 0);
}

TEST(DescribeSound, SizeFormatDurationFieldsAndEncoding) {
    // 61.5 seconds of 16-bit stereo at 44100 Hz, and 100 bytes more.
    WAVEFORMATEX pcm = pcmFormat(2, 44100, 16);
    std::string text = described("Take 1", 176400ull * 61 + 88200 + 100, &pcm);
    EXPECT_EQ(text,
              "Sound: Take 1\n"
              "----------------------------------------\n"
              "Size: 10594 KB\n"
              "Format: PCM\n"
              "Duration: 1 min 1.501 s\n"
              "Format tag: 0x0001\n"
              "Channels: 2\n"
              "Samples per second: 44100\n"
              "Average bytes per second: 176400\n"
              "Block align: 4\n"
              "Bits per sample: 16\n"
              "Extra size: 0\n");

    // The own format names its encoding; no separator without a name; no duration without a byte rate.
    std::vector<u8> own = ownBlockBytes(2, encodingFloat, 48000);
    wave(own)->nAvgBytesPerSec = 0;
    text = described("", 1535, wave(own));
    EXPECT_EQ(text.substr(0, 36), "Sound: \nSize: 1 KB\nFormat: unknown (");
    EXPECT_EQ(text.find("Duration"), std::string::npos);
    EXPECT_NE(text.find("\nEncoding: 32-bit float\n"), std::string::npos) << text;
    header(own)->encoding = 9;
    EXPECT_NE(described("", 0, wave(own)).find("\nEncoding: unknown (9)\n"), std::string::npos);
    EXPECT_EQ(described("x", 512, nullptr), "Sound: x\n----------------------------------------\nSize: 1 KB\n");
}
