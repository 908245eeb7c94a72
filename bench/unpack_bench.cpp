// Unpacking every member of a 50 MB installer made by the packer.
#include "bench/bench.h"
#include "core/error.h"
#include "core/gfile.h"
#include "core/paths.h"
#include "setup/install_record.h"
#include "setup/packed_members.h"

RAVO_BENCH(unpack) {
    std::string installer = std::string(programFolder().c_str()) + "\\bench_installer\\unpack50.exe";
    InstallRecord record;
    GBag index;
    if (!readInstallRecord(installer.c_str(), nullptr, &record, &index)) {
        printf("unpack: cannot read %s\n", installer.c_str());
        return;
    }
    std::string target = benchFolder() + "\\unpack";
    bool ok = true;
    double ms = medianMilliseconds([&] {
        createDirectory(target.c_str());
        GFile source;
        ok = ok && fileOpen(source, installer.c_str(), FileMode::Read) && fileSeek(source, (i64)record.imageSize, 0) &&
             unpackAllMembers(target.c_str(), source, index, nullptr, record.recordOffset);
    });
    if (!ok) printf("unpack: failed\n");
    benchResult("unpack 50 MB installer", ms, "ms");
}
