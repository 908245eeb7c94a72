#include "tests/support/test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "core/paths.h"

std::vector<RecordedBox>& recordedBoxes() {
    static std::vector<RecordedBox> boxes;
    return boxes;
}

// Answers the box's default button.
static int recordBox(const char* title, const char* text, unsigned style) {
    recordedBoxes().push_back({title ? title : "", text ? text : ""});
    bool second = (style & MB_DEFMASK) == MB_DEFBUTTON2;
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL: return second ? IDCANCEL : IDOK;
    case MB_YESNO: return second ? IDNO : IDYES;
    default: return IDOK;
    }
}

static void removeTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(h, &data));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}

TempDir::TempDir() {
    static unsigned serial = 0;
    char name[64];
    snprintf(name, sizeof name, "\\ravo_test_%lu_%u", GetCurrentProcessId(), serial++);
    root = std::string(tempFolder().c_str()) + name;
    removeTree(root);
    CreateDirectoryA(root.c_str(), nullptr);
}

TempDir::~TempDir() { removeTree(root); }

void TempDir::write(const std::string& name, const std::string& bytes) const {
    FILE* f = fopen(file(name).c_str(), "wb");
    ASSERT_NE(f, nullptr) << name;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string TempDir::read(const std::string& name) const { return readWholeFile(file(name)); }

std::string u32le(u32 v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

std::string languageFile(const std::vector<std::string>& texts) {
    std::string offsets, block;
    for (const std::string& t : texts) {
        offsets += u32le((u32)block.size());
        block += t + '\0';
    }
    return u32le((u32)texts.size()) + u32le((u32)block.size()) + offsets + block;
}

std::string readWholeFile(const std::string& path) {
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

bool TempDir::exists(const std::string& name) const {
    return GetFileAttributesA(file(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> TempDir::list() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA((root + "\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return names;
}

namespace {

void printFrame(const char* tag, DWORD64 address) {
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(address), &module))
        GetModuleFileNameA(module, name, sizeof name);
    fprintf(stderr, "  %s %s+0x%llx\n", tag, name,
            (unsigned long long)(address - reinterpret_cast<DWORD64>(module)));
}

// A crash prints where it happened and, on x64, the frames above it, so a fault in a run can be
// found without a debugger.
LONG WINAPI reportCrash(EXCEPTION_POINTERS* info) {
    fprintf(stderr, "crash: exception 0x%08lx in thread %lu\n", info->ExceptionRecord->ExceptionCode,
            GetCurrentThreadId());
#ifdef _WIN64
    CONTEXT context = *info->ContextRecord;
    if (!context.Rip) {  // a call through a null pointer: start from its return address
        fprintf(stderr, "  at null\n");
        context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
        context.Rsp += 8;
    }
    for (int depth = 0; depth < 40 && context.Rip; ++depth) {
        printFrame(depth ? "from" : "at", context.Rip);
        DWORD64 base = 0;
        RUNTIME_FUNCTION* entry = RtlLookupFunctionEntry(context.Rip, &base, nullptr);
        if (!entry) {
            context.Rip = *reinterpret_cast<DWORD64*>(context.Rsp);
            context.Rsp += 8;
            continue;
        }
        void* handlerData = nullptr;
        DWORD64 frame = 0;
        RtlVirtualUnwind(0, base, context.Rip, entry, &context, &handlerData, &frame, nullptr);
    }
#else
    printFrame("at", (DWORD64)(uintptr_t)info->ExceptionRecord->ExceptionAddress);
#endif
    fflush(stderr);
    return EXCEPTION_CONTINUE_SEARCH;
}

// First-chance access faults reported too; a stdcall function, as 32-bit handlers must be.
LONG WINAPI reportAccessFault(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode == 0xC0000005) reportCrash(info);
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(reportCrash);
    if (getenv("RAVO_FIRST_CHANCE"))
        AddVectoredExceptionHandler(1, reportAccessFault);
    // Tests keep to a data folder of their own and never show a box on the screen.
    setProductName("RavoTests");
    plainMessageBox = recordBox;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

std::string deviceOutputPath() {
    const char* out = getenv("RAVO_ALSA_OUT");
    if (!out) return std::string();
    std::string path = std::string("Z:") + out;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
