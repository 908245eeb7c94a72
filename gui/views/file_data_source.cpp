#include "gui/views/file_data_source.h"

#include <cstdio>

#include "gui/frame/open_file_registry.h"

namespace {
// The lent stream goes back and the flag word returns on every path.
struct Lend {
    GFile& file;
    u32 saved;
    explicit Lend(GFile& file) : file(file), saved(file.flags) { file.flags = 0; }
    ~Lend() {
        try {
            OpenFileRegistry::endReopen(file);
        } catch (...) {
        }
        file.flags = saved;
    }
};
}  // namespace

FileDataSource::~FileDataSource() {
    if (file.fp) {
        try {
            OpenFileRegistry::endReopen(file);
        } catch (...) {
        }
    }
    file.fp = nullptr;
}

template <class Step> bool FileDataSource::borrowed(Step step) {
    if (!holder) return false;
    Lend lend(file);
    if (!OpenFileRegistry::reopen(file, holder, FileFlag::Read | RegistryMode::OthersWait)) return false;
    return step();
}

bool FileDataSource::attach(OpenFileHolder* fileHolder) {
    holder = fileHolder;
    reserve(512);
    file.flags &= ~(u32)FileFlag::Eof;
    i64 n = -1;
    bool ok = borrowed([&] {
        n = fileSize(file);
        return n >= 0;
    });
    knownSize = ok ? (u64)n : 0;
    reset();
    return ok;
}

bool FileDataSource::fill(u64 position, u32 count, u8* buffer) {
    return borrowed([&] { return !count || (fileSeek(file, (i64)position, SEEK_SET) && fileRead(file, buffer, count)); });
}
