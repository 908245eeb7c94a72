#include "tests/setup/update_fixture.h"

#include <windows.h>

#include "tests/mm/sox_tool.h"
#include "tests/support/test_support.h"

namespace {
std::string keyFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\')) + "\\update_keys";
}
}  // namespace

const std::vector<u8>& testPublicKey() {
    static std::vector<u8> key;
    if (key.empty()) {
        HANDLE file = CreateFileA((keyFolder() + "\\test_pub.der").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        u8 buffer[4096];
        DWORD read = 0;
        if (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &read, nullptr))
            key.assign(buffer, buffer + read);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    return key;
}

std::string signUpdate(const std::string& version, const std::string& bytes) {
    TempDir dir;
    dir.write("message", version + std::string(1, '\0') + bytes);
    int code = runUnixTool("openssl dgst -sha256 -sign '" + unixPath(keyFolder() + "\\test.key") + "' -out '" +
                         unixPath(dir.file("sig")) + "' '" + unixPath(dir.file("message")) + "'");
    return code == 0 ? dir.read("sig") : "";
}
