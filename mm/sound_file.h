#pragma once
// Sounds in files: opening a WAVE or own sound file into a format and a segment store over the
// file's samples (nothing of the samples is read), and saving a store's samples into a new file
// that replaces the target only once it was written completely.
#include "core/block_base.h"
#include "mm/format_validation.h"
#include "mm/sound_format.h"

struct GFile;
class ErrorHandler;
class JobProgress;
class SoundStore;
struct StoreSource;

// Kinds of sound files, by the id of their root block.
enum : u32 {
    soundFileWave = 0x45564157,  // "WAVE"
    soundFileRavo = 0x4F564152,  // "RAVO"
};

// What reading a sound file found: the tree, the checked parts and where the samples lie.
struct SoundFileLayout {
    SoundFileLayout() = default;
    SoundFileLayout(const SoundFileLayout&) = delete;
    SoundFileLayout& operator=(const SoundFileLayout&) = delete;
    ~SoundFileLayout() { delete root; }

    u32 kind = 0;
    BlockBase* root = nullptr;
    SoundFileParts parts = {};
    u64 dataOffset = 0;  // file position of the first sample byte
};

// Reads the block tree of a WAVE or own sound file from its start, leniently. False (the file
// having reported why) when the file is of neither kind or cannot be read.
bool readSoundFileLayout(GFile& file, SoundFileLayout* layout);

// The parts of one sound form of a tree (a WAVE form at any depth, or the own form): what was found
// and where its samples lie.
void findSoundParts(BlockBase* form, SoundFileParts* parts, u64* dataOffset);

// Opens the named file as a sound: checks its parts and format block (failures shown over window),
// fills the format and opens the store over the file's samples. Errors of the files go to handler.
bool openSoundFile(const char* name, SoundFormat* format, SoundStore* store, ErrorHandler* handler, GWindow* window);

// Writes the store's samples with the format into a new file of the kind (soundFileWave or
// soundFileRavo) and puts it in place of the target. A WAVE file cannot hold 4 GB of data: such a
// sound is refused before anything is written. Nothing replaces the target unless every byte was
// written. On success written (when given) tells where the samples now lie in the target, for
// re-basing the store on it (SoundStore::reopen).
bool saveSoundFile(const char* name, u32 kind, const SoundFormat* format, SoundStore* store, JobProgress* progress,
                   ErrorHandler* handler, GWindow* window, StoreSource* written);

// Completes a file written under a temporary name (FileMode::WriteReplace): when the writing
// succeeded and the file shows no error it is flushed and safely replaces the target; otherwise it
// is closed and deleted and the target stays as it was.
bool commitSavedFile(GFile& file, const char* target, bool written);
