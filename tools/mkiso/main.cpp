// quivera-mkiso: builds an ISO 9660 image (Joliet names, UDF bridge) of folders with the
// program's own disc-writing engine.
#include "burner/dwdiscwriter.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void Usage(FILE* out) {
    std::fputs("usage: quivera-mkiso [--volume-id ID] [--no-joliet] [--no-udf] [--boot IMAGE]\n"
               "                     [--cache-size MIB] [--follow-links] [--quiet] -o OUT.iso\n"
               "                     FOLDER...\n"
               "Puts the contents of each FOLDER into the root of the image. Links to folders\n"
               "are passed over unless --follow-links is given. --help shows this text and\n"
               "--version the version.\n",
               out);
}

// Where the image goes: a regular file (or a new one) is written beside itself under a
// temporary name and renamed over the target when complete, so a failure leaves the target as
// it was; anything else (a device, a pipe) is written directly and never removed. Links are
// followed to the file they name, and stay links.
struct Output {
    std::string target;  // the path the image ends up at
    std::string writeTo; // the path the engine writes
    bool direct = false;
};

std::string Resolve(std::string path) {
    for (int i = 0; i < 40; ++i) {
        struct stat ls {};
        if (lstat(path.c_str(), &ls) != 0 || !S_ISLNK(ls.st_mode)) return path;
        std::vector<char> buf(PATH_MAX + 1);
        ssize_t n = readlink(path.c_str(), buf.data(), PATH_MAX);
        if (n < 0) return path;
        std::string link(buf.data(), size_t(n));
        if (!link.empty() && link[0] != '/') {
            size_t slash = path.rfind('/');
            link = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + link;
        }
        path = link;
    }
    return path;
}

bool OpenOutput(const std::string& path, Output& out, std::string& error) {
    out.target = Resolve(path);
    struct stat st {};
    if (stat(out.target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) {
            error = "Error creating file \\" + path + "\\: it is a folder";
            return false;
        }
        out.writeTo = out.target;
        out.direct = true;
        return true;
    }
    size_t slash = out.target.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : out.target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? out.target : out.target.substr(slash + 1);
    std::string tmpl = dir + "." + base + ".XXXXXX";
    int fd = mkstemp(tmpl.data());
    if (fd < 0) {
        error = "Error creating file \\" + path + "\\: " + std::strerror(errno);
        return false;
    }
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    out.writeTo = tmpl;
    return true;
}

void DiscardOutput(const Output& out) {
    if (!out.direct && !out.writeTo.empty()) unlink(out.writeTo.c_str());
}

// The engine names the file it writes; the user knows the target.
std::string NameTarget(std::string text, const Output& out, const std::string& given) {
    if (out.direct) return text;
    for (size_t p; (p = text.find(out.writeTo)) != std::string::npos;)
        text.replace(p, out.writeTo.size(), given);
    return text;
}

int Fail(const std::string& text) {
    std::fprintf(stderr, "quivera-mkiso: %s\n", text.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::string volumeId, boot, output;
    bool joliet = true, udf = true, quiet = false, followLinks = false;
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
        else if (a == "--follow-links")
            followLinks = true;
        else if (a == "--quiet" || a == "-q")
            quiet = true;
        else if (a == "-o")
            output = value("-o");
        else if (a == "-h" || a == "--help") {
            Usage(stdout);
            return 0;
        } else if (a == "--version") {
            std::puts("quivera-mkiso " QUIVERA_VERSION);
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
    writer.Files().followLinks = followLinks;
    if (!boot.empty() && !writer.SetBootImage(boot))
        return Fail("unusable boot image " + boot +
                    " (it must exist and hold 2048, 1228800, 1474560 or 2949120 bytes)");
    // Anything left out of the tree (unreadable folders, files too large, names the image
    // cannot hold) fails the whole run: an image that silently lacks files is worse than none.
    // Two sources that want the same name in the image fail it too.
    for (const auto& folder : folders)
        if (!writer.InsertDir("/", folder, "*", true, false)) {
            const uint32_t code = writer.GetErrorNumber();
            return Fail((code == dw::kErrNameClash ? "cannot add folder " : "cannot read folder ") +
                        folder + ": " + writer.GetErrorString(code));
        }

    // Special files are no data to copy: say which were passed over.
    const auto& skipped = writer.Files().skipped;
    for (const auto& [path, reason] : skipped)
        std::fprintf(stderr, "quivera-mkiso: skipped %s (%s)\n", path.c_str(), reason.c_str());
    if (!skipped.empty())
        std::fprintf(stderr, "quivera-mkiso: %zu special file%s skipped%s\n", skipped.size(),
                     skipped.size() == 1 ? "" : "s",
                     followLinks ? "" : " (--follow-links takes in links to folders)");

    writer.Prepare();
    // ECMA-119 6.8.2.1 limits the primary tree to 8 levels and 255-byte paths. Readers cope
    // with more, so the image is written; the user hears of it once.
    const auto& f = writer.Files();
    if (f.deepestLevel > 8 || f.longestPathBytes > 255) {
        std::string what;
        if (f.deepestLevel > 8)
            what = f.deepestPath + " lies " + std::to_string(f.deepestLevel) + " levels deep";
        if (f.longestPathBytes > 255)
            what += (what.empty() ? "" : " and ") + f.longestPath + " has a path of " +
                    std::to_string(f.longestPathBytes) + " bytes";
        std::fprintf(stderr,
                     "quivera-mkiso: warning: %s in the ISO 9660 names; the standard allows 8 "
                     "levels and 255 bytes, some readers may not show everything\n",
                     what.c_str());
    }

    Output out;
    std::string openError;
    if (!OpenOutput(output, out, openError)) return Fail(openError);
    std::mutex m;
    std::condition_variable cv;
    bool done = false, failed = false;
    writer.SetOnWriteDone([&](void*, bool writeFailed) {
        std::lock_guard<std::mutex> g(m);
        done = true;
        failed = writeFailed;
        cv.notify_all();
    });
    if (!writer.BuildISOImage(out.writeTo)) {
        DiscardOutput(out);
        return Fail(NameTarget(writer.GetErrorString(writer.GetErrorNumber()), out, output));
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
        DiscardOutput(out);
        return Fail(NameTarget(writer.GetErrorString(writer.GetErrorNumber()), out, output));
    }
    if (!out.direct && rename(out.writeTo.c_str(), out.target.c_str()) != 0) {
        int err = errno;
        DiscardOutput(out);
        return Fail("Error creating file \\" + output + "\\: " + std::strerror(err));
    }
    if (!quiet)
        std::fprintf(stderr, "%s100%% %s: %u blocks, %u entries, %u folders\n", tty ? "\r" : "",
                     output.c_str(), writer.GetImageSize(), writer.GetFileCount(),
                     writer.GetDirCount());
    return 0;
}
