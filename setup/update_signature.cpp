#include "setup/update_signature.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <vector>

namespace {
// The next number of a version text; the pointer moves past it and its dot.
u64 nextPart(const char*& p) {
    u64 value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < 0xFFFFFFFFFFFFFFFULL) value = value * 10 + (u64)(*p - '0');
        ++p;
    }
    if (*p == '.') ++p;
    return value;
}

bool readWhole(HANDLE file, std::vector<u8>& out) {
    LARGE_INTEGER zero = {};
    if (!SetFilePointerEx(file, zero, nullptr, FILE_BEGIN)) return false;
    u8 chunk[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &read, nullptr)) return false;
        if (read == 0) return true;
        out.insert(out.end(), chunk, chunk + read);
    }
}

bool readFileBytes(const char* name, std::vector<u8>& out) {
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = readWhole(file, out);
    CloseHandle(file);
    return ok;
}

struct Provider {
    HCRYPTPROV handle = 0;
    HCRYPTKEY key = 0;
    HCRYPTHASH hash = 0;
    ~Provider() {
        if (hash) CryptDestroyHash(hash);
        if (key) CryptDestroyKey(key);
        if (handle) CryptReleaseContext(handle, 0);
    }
};

bool importKey(Provider& provider, const u8* key, u32 keySize) {
    CERT_PUBLIC_KEY_INFO* info = nullptr;
    DWORD infoSize = 0;
    if (!CryptDecodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, keySize, CRYPT_DECODE_ALLOC_FLAG, nullptr,
                             &info, &infoSize))
        return false;
    bool ok = CryptImportPublicKeyInfo(provider.handle, X509_ASN_ENCODING, info, &provider.key);
    LocalFree(info);
    return ok;
}
}  // namespace

int compareVersions(const char* a, const char* b) {
    const char* p = a ? a : "";
    const char* q = b ? b : "";
    while (*p || *q) {
        u64 x = nextPart(p), y = nextPart(q);
        if (x != y) return x < y ? -1 : 1;
        // A character that is neither digit nor dot ends the comparison there.
        if ((*p && !(*p >= '0' && *p <= '9')) || (*q && !(*q >= '0' && *q <= '9'))) break;
    }
    return 0;
}

bool verifyUpdateHandle(void* fileHandle, const char* version, const char* signatureFile, const u8* key,
                        u32 keySize) {
    std::vector<u8> signature, body;
    if (!readFileBytes(signatureFile, signature) || signature.empty() || signature.size() > 4096) return false;
    if (!readWhole((HANDLE)fileHandle, body)) return false;
    Provider provider;
    if (!CryptAcquireContextA(&provider.handle, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return false;
    if (!importKey(provider, key, keySize)) return false;
    if (!CryptCreateHash(provider.handle, CALG_SHA_256, 0, 0, &provider.hash)) return false;
    const char* line = version ? version : "";
    // The version text with its zero byte binds the file to the version it was offered as.
    if (!CryptHashData(provider.hash, (const BYTE*)line, (DWORD)strlen(line) + 1, 0)) return false;
    if (!body.empty() && !CryptHashData(provider.hash, body.data(), (DWORD)body.size(), 0)) return false;
    std::vector<u8> reversed(signature.rbegin(), signature.rend());
    return CryptVerifySignatureA(provider.hash, reversed.data(), (DWORD)reversed.size(), provider.key, nullptr, 0);
}

bool verifyUpdateFile(const char* fileName, const char* version, const char* signatureFile, const u8* key,
                      u32 keySize) {
    HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = verifyUpdateHandle(file, version, signatureFile, key, keySize);
    CloseHandle(file);
    return ok;
}
