#pragma once
// The sample bytes of a sound file or store as the program reads them, and one 16-bit sample of them.
#include <cstring>
#include <string>

#include "mm/sound_file.h"
#include "mm/sound_store.h"
#include "tests/support/test_support.h"

inline std::string storeSamples(SoundStore& store, ErrorHandler* handler = nullptr) {
    std::string bytes(store.length, '\0');
    store.lock(handler);
    store.readRange(store.findSegment(store.dataOffset), store.length, reinterpret_cast<u8*>(&bytes[0]));
    store.unlock();
    return bytes;
}

// "" when the file cannot be opened.
inline std::string fileSamples(const std::string& path) {
    SoundFormat format;
    SoundStore store;
    RecordingHandler handler;
    if (!openSoundFile(path.c_str(), &format, &store, &handler, nullptr)) return "";
    return storeSamples(store, &handler);
}

inline i16 sampleAt(const std::string& bytes, size_t i) {
    i16 v;
    std::memcpy(&v, bytes.data() + i * 2, 2);
    return v;
}
