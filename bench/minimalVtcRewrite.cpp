// The least a batch must do with its VTCs: each one's header rewritten with a protocol name and
// its data copied behind it, the file replaced as the headless host replaces it (temporary
// file written to disk and exchanged with the original, whose blocks the next file reuses).
// The whole-batch benchmark times it
// beside morvane and cp, to show what the rest of morvane's work costs.
//
//   quorvel_bench_minimal_rewrite PROTOCOL_NAME VTC...
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "headless/atomicReplace.h"
#include "formats/fileDescriptor.h"
#include "formats/vtcFile.h"

int main(int argc, char** argv) {
    using namespace morvane;
    if (argc < 3) {
        std::fprintf(stderr, "usage: quorvel_bench_minimal_rewrite PROTOCOL_NAME VTC...\n");
        return 2;
    }
    const std::string protocol = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string path = argv[i];
        ParseResult<VtcFileHeader> header = readVtcHeader(path);
        if (!header) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), header.error.c_str());
            removeKeptFile();
            return 1;
        }
        FileDescriptor source(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        const std::string bytes = vtcHeaderBytes(withProtocol(*header.value, protocol));
        const std::string failure = replaceFileAtomically(path, [&](int fd) {
            std::string why = writeAll(fd, bytes.data(), bytes.size());
            if (why.empty()) why = copyFileTail(source.get(), static_cast<off_t>(header.value->headerLength), fd);
            return why;
        }, 0644, SupersededFile::Reuse);
        closeReplacedFile(source.release());
        if (!failure.empty()) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), failure.c_str());
            removeKeptFile();
            return 1;
        }
    }
    removeKeptFile();
    return 0;
}
