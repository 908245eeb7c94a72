#pragma once
// Small files for the analyzer's tests, built in strings, and a parse of them from a temporary file.
#include <memory>
#include <string>

#include "core/gfile.h"
#include "tests/mm/riff_bytes.h"
#include "tests/support/test_support.h"
#include "tools/file_structure.h"

inline std::string bytesOf(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += (char)(u8)v;
    return s;
}

// An MPEG frame: the header and zeros up to length.
inline std::string mpegFrame(const std::string& header, u32 length) { return header + std::string(length - 4, '\0'); }

// An Ogg page of one packet (segments of 255 and the rest) with the header type and granule given.
inline std::string oggPage(const std::string& packet, u8 headerType = 0, u64 granule = 0, u32 sequence = 0) {
    std::string segments;
    size_t left = packet.size();
    do {
        u8 n = left >= 255 ? 255 : (u8)left;
        segments += (char)n;
        left -= n;
    } while (left > 0 || (u8)segments.back() == 255);
    return std::string("OggS") + '\0' + (char)headerType + le64(granule) + le32(7) + le32(sequence) + le32(0) +
           (char)(u8)segments.size() + segments + packet;
}

// A 30-byte Vorbis identification header.
inline std::string vorbisIdentification(u8 channels, u32 rate, u32 maximum, u32 nominal, u32 minimum) {
    return std::string("\x01vorbis", 7) + le32(0) + (char)channels + le32(rate) + le32(maximum) + le32(nominal) +
           le32(minimum) + (char)0xB8 + (char)1;
}

// A Vorbis comment header: caption, the count as stored, then the comments given.
inline std::string vorbisComments(const std::string& caption, u32 count, std::initializer_list<std::string> comments) {
    std::string s = std::string("\x03vorbis", 7) + le32((u32)caption.size()) + caption + le32(count);
    for (const std::string& c : comments) s += le32((u32)c.size()) + c;
    return s + '\x01';
}

// A file parsed into a structure.
struct Parsed {
    TempDir dir;
    std::string path;
    RecordingHandler handler;
    std::unique_ptr<FileStructure> root;

    // Writes the bytes to the named file and parses them (strict with a sink).
    Parsed(const std::string& name, const std::string& bytes, BlockSink* sink = nullptr, bool answer = false) {
        handler.answer = answer;
        dir.write(name, bytes);
        path = dir.file(name);
        GFile file(&handler);
        if (!fileOpen(file, path.c_str(), FileMode::Read)) return;
        root.reset(new FileStructure);
        root->read(sink, file, 0);
        fileCloseQuietly(file);
    }
    BlockBase* child(u32 i) const { return root && i < root->childCount() ? root->child(i) : nullptr; }
    // "name@start+size" of each child, space-separated.
    std::string layout() const {
        std::string s;
        for (u32 i = 0; root && i < root->childCount(); ++i) {
            GString name;
            root->child(i)->displayName(name);
            if (!s.empty()) s += ' ';
            s += std::string(name.c_str()) + "@" + std::to_string(root->child(i)->start) + "+" +
                 std::to_string(root->child(i)->size);
        }
        return s;
    }
    // The report of the kind as written to a file.
    std::string report(u32 kind) {
        std::string out = dir.file("report.txt");
        GFile file;
        if (!fileOpen(file, out.c_str(), FileMode::Write)) return "<no file>";
        bool ok = root->report(file, kind);
        fileClose(file);
        return ok ? readWholeFile(out) : "<failed>";
    }
};

// Records the notes of a strict read.
struct NoteSink : BlockSink {
    void note(const BlockBase*, const char* text) override { notes.push_back(text); }
    std::vector<std::string> notes;
};
