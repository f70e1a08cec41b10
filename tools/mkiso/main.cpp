// quivera-mkiso: builds an ISO 9660 image (Joliet names, UDF bridge) of folders with the
// program's own disc-writing engine.
#include "burner/dwdiscwriter.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void Usage(FILE* out) {
    std::fputs("usage: quivera-mkiso [--volume-id ID] [--no-joliet] [--no-udf] [--boot IMAGE]\n"
               "                     [--cache-size MIB] [--quiet] -o OUT.iso FOLDER...\n"
               "Puts the contents of each FOLDER into the root of the image.\n",
               out);
}

int Fail(const std::string& text) {
    std::fprintf(stderr, "quivera-mkiso: %s\n", text.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::string volumeId, boot, output;
    bool joliet = true, udf = true, quiet = false;
    unsigned cacheMiB = 0;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "quivera-mkiso: %s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--volume-id")
            volumeId = value("--volume-id");
        else if (a == "--no-joliet")
            joliet = false;
        else if (a == "--no-udf")
            udf = false;
        else if (a == "--boot")
            boot = value("--boot");
        else if (a == "--cache-size")
            cacheMiB = unsigned(std::strtoul(value("--cache-size"), nullptr, 10));
        else if (a == "--quiet" || a == "-q")
            quiet = true;
        else if (a == "-o")
            output = value("-o");
        else if (a == "-h" || a == "--help") {
            Usage(stdout);
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            Usage(stderr);
            return 2;
        } else {
            folders.push_back(a);
        }
    }
    if (output.empty() || folders.empty()) {
        Usage(stderr);
        return 2;
    }

    dw::TDiscWriter writer;
    if (!volumeId.empty()) writer.SetVolumeID(volumeId);
    writer.SetJolietFileSystem(joliet);
    writer.SetUDFBridge(udf);
    if (cacheMiB) writer.SetCacheSize(cacheMiB);
    if (!boot.empty() && !writer.SetBootImage(boot))
        return Fail("unusable boot image " + boot +
                    " (it must exist and hold 2048, 1228800, 1474560 or 2949120 bytes)");
    // Anything left out of the tree (unreadable folders, files too large, names the image
    // cannot hold) fails the whole run: an image that silently lacks files is worse than none.
    for (const auto& folder : folders)
        if (!writer.InsertDir("/", folder, "*", true, false))
            return Fail("cannot read folder " + folder + ": " +
                        writer.GetErrorString(writer.GetErrorNumber()));

    writer.Prepare();
    std::mutex m;
    std::condition_variable cv;
    bool done = false, failed = false;
    writer.SetOnWriteDone([&](void*, bool writeFailed) {
        std::lock_guard<std::mutex> g(m);
        done = true;
        failed = writeFailed;
        cv.notify_all();
    });
    if (!writer.BuildISOImage(output)) {
        unlink(output.c_str());
        return Fail(writer.GetErrorString(writer.GetErrorNumber()));
    }
    const bool tty = isatty(STDERR_FILENO);
    {
        std::unique_lock<std::mutex> g(m);
        while (!done) {
            cv.wait_for(g, std::chrono::milliseconds(250));
            if (quiet || done) continue;
            uint32_t total = writer.GetImageSize();
            uint32_t written = writer.GetBlocksWritten();
            unsigned pct = total ? unsigned(uint64_t(written) * 100 / total) : 0;
            std::fprintf(stderr, tty ? "\r%3u%% (%u of %u blocks)" : "%u%% (%u of %u blocks)\n",
                         pct, written, total);
        }
    }
    writer.WaitForSession();
    if (failed) {
        if (!quiet && tty) std::fputc('\n', stderr);
        unlink(output.c_str());
        return Fail(writer.GetErrorString(writer.GetErrorNumber()));
    }
    if (!quiet)
        std::fprintf(stderr, "%s100%% %s: %u blocks, %u entries, %u folders\n", tty ? "\r" : "",
                     output.c_str(), writer.GetImageSize(), writer.GetFileCount(),
                     writer.GetDirCount());
    return 0;
}
