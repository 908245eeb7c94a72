#pragma once
// FileDataSource: the byte views' reader over a file that other parts of the program hold open
// too. Every fill borrows the shared stream through the open-file registry and gives it back; the
// holder stays its caller's and must outlive the source.
#include "core/block_data_source.h"
#include "core/gfile.h"

class OpenFileHolder;

class FileDataSource : public BlockDataSource {
public:
    FileDataSource() : BlockDataSource(4096) {}
    ~FileDataSource() override;

    // Binds the reader to the holder's file and takes its size; false when it cannot be read.
    bool attach(OpenFileHolder* holder);
    // The reader's own file record; its flag word is kept across every read.
    GFile file;

protected:
    u64 sourceSize() override { return knownSize; }
    bool fill(u64 position, u32 count, u8* buffer) override;

private:
    // Borrows the stream, runs the step and gives it back with the flag word restored.
    template <class Step> bool borrowed(Step step);
    OpenFileHolder* holder = nullptr;
    u64 knownSize = 0;
};
