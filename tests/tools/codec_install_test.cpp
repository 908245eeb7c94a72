// Installing a codec file through the launcher by its extension, in any letter case; paths with
// spaces quoted on every command line.
#include "tools/codec_install.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::vector<std::string> launched;
intptr_t shellAnswer = 42;

struct Launcher {
    Launcher() {
        saved = codecLauncher;
        launched.clear();
        shellAnswer = 42;
        codecLauncher.winExec = [](const char* line, u32) -> u32 {
            launched.push_back(std::string("exec ") + line);
            return 33;
        };
        codecLauncher.shellExecute = [](void*, const char* verb, const char* file) -> intptr_t {
            launched.push_back(std::string(verb) + " " + file);
            return shellAnswer;
        };
    }
    ~Launcher() { codecLauncher = saved; }
    CodecLauncher saved;
};
}  // namespace

TEST(CodecInstall, TheExtensionChoosesHowTheFileIsInstalled) {
    const struct {
        const char* path;
        const char* launched;
    } cases[] = {
        {"C:\\Program Files\\codec setup.exe", "exec \"C:\\Program Files\\codec setup.exe\""},
        {"C:\\My Codecs\\install.BAT", "exec \"C:\\My Codecs\\install.BAT\""},
        {"C:\\My Codecs\\codec.Dll", "exec regsvr32 \"C:\\My Codecs\\codec.Dll\""},
        {"C:\\codecs\\filter.ax", "exec regsvr32 \"C:\\codecs\\filter.ax\""},
        {"C:\\codecs\\driver.INF", "install C:\\codecs\\driver.INF"},
        {"C:\\codecs\\readme.txt", "open C:\\codecs\\readme.txt"},
        {"C:\\codecs.d\\noextension", "open C:\\codecs.d\\noextension"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        Launcher launcher;
        EXPECT_TRUE(installCodecFile(nullptr, c.path));
        EXPECT_EQ(launched, std::vector<std::string>{c.launched});
    }
}

TEST(CodecInstall, ARefusedShellAnswerFails) {
    Launcher launcher;
    for (intptr_t answer : {0, 2, 32}) {
        shellAnswer = answer;
        EXPECT_FALSE(installCodecFile(nullptr, "C:\\codecs\\driver.inf")) << answer;
    }
    shellAnswer = 33;
    EXPECT_TRUE(installCodecFile(nullptr, "C:\\codecs\\driver.inf"));
}
