#pragma once
// Version texts and the detached signatures of downloaded updates. A signature ("<address>.sig")
// is RSA PKCS#1 v1.5 over SHA-256 of the version text, one zero byte and the file's bytes, as the
// release tools write it (big-endian); it is checked against a public key in DER form.
#include "core/gstring.h"
#include "core/types.h"

// Dot-separated numbers compared as numbers; missing parts are 0, an empty text is 0.
// -1, 0 or 1.
int compareVersions(const char* a, const char* b);

// The release key built into the program (DER SubjectPublicKeyInfo).
extern const u8 releasePublicKey[];
extern const u32 releasePublicKeySize;

// Checks the open file's bytes (read from its start) against the signature file. False on any
// failure, a missing signature included.
bool verifyUpdateHandle(void* fileHandle, const char* version, const char* signatureFile, const u8* key,
                        u32 keySize);
// The same over a file opened for reading only.
bool verifyUpdateFile(const char* fileName, const char* version, const char* signatureFile, const u8* key,
                      u32 keySize);
