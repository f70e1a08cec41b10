// quivera-burn: writes folders or an image onto a CD or DVD, erases a rewritable disc, or tells
// what a drive holds, with the program's own disc-writing engine.
#include "burner/dwdiscwriter.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Ctrl-C or a termination request during a burn aborts it, so the disc is still closed and the
// tray unlocked before the tool ends.
volatile std::sig_atomic_t g_stop = 0;
extern "C" void OnStopSignal(int) {
    g_stop = 1;
}

void Usage(FILE* out) {
    std::fputs(
        "usage: quivera-burn --list\n"
        "       quivera-burn [--device DEV] --info\n"
        "       quivera-burn [--device DEV] [--volume-id ID] [--no-joliet] [--no-udf]\n"
        "                    [--test-write] [--finalize] [--quiet] FOLDER...\n"
        "       quivera-burn [--device DEV] [--quiet] --image FILE.iso\n"
        "       quivera-burn [--device DEV] --erase [--full]\n"
        "DEV is sr0, /dev/sr0 or iscsi://HOST:PORT/TARGET/LUN; without it the first optical\n"
        "drive of this machine is used. The contents of each FOLDER go into the disc's root.\n"
        "--help shows this text and --version the version.\n",
        out);
}

const char* MediaName(int kind) {
    static const char* const names[] = {"unknown or none",
                                        "CD-ROM",
                                        "CD-R",
                                        "CD-RW",
                                        "DVD-ROM",
                                        "DVD-R",
                                        "DVD-RAM",
                                        "?",
                                        "DVD-RW (restricted overwrite)",
                                        "DVD-RW (sequential)",
                                        "DVD+RW",
                                        "DVD+R",
                                        "DVD+R DL",
                                        "DDCD-ROM",
                                        "DDCD-R",
                                        "DDCD-RW"};
    return kind >= 0 && kind <= 15 ? names[kind] : "unknown";
}

class Tool {
  public:
    int Fail(const std::string& text, bool withSense = false) {
        std::string line = "quivera-burn: " + text;
        if (withSense) {
            dw::TSenseInfo s = w.GetFailureSense();
            if (s.key == 0 && s.asc == 0) s = w.GetLastSense();
            if (s.key || s.asc) line += " (" + w.DescribeSense(s) + ")";
        }
        std::fprintf(stderr, "%s\n", line.c_str());
        return 1;
    }

    int ErrorExit() {
        uint32_t e = w.GetErrorNumber();
        return Fail(w.GetErrorString(e), true);
    }

    bool Open(const std::string& device) {
        if (!device.empty()) {
            int index = w.AddDevice(device);
            if (index < 0) {
                Fail("cannot reach an optical drive at " + device);
                return false;
            }
            if (!w.SelectDevice(index)) {
                Fail("cannot select the drive " + device);
                return false;
            }
            return true;
        }
        w.InitializeASPI();
        if (w.GetDeviceCount() == 0 || !w.SelectDevice(0)) {
            Fail("no optical drive found");
            return false;
        }
        return true;
    }

    int List() {
        w.InitializeASPI();
        if (w.GetDeviceCount() == 0) return Fail("no optical drive found");
        for (int i = 0; i < w.GetDeviceCount(); ++i)
            std::printf("%s\n", w.GetDeviceName(i).c_str());
        return 0;
    }

    int Info() {
        std::printf("drive: %s %s (%s)\n", w.Device().vendor, w.Device().product,
                    w.GetDeviceLetter().c_str());
        int kind = w.DiscIs();
        std::printf("disc: %s\n", MediaName(kind));
        if (kind != 0) {
            std::printf("sessions: %d\n", w.SessionsOnDisc());
            std::printf("writable: %s\n", w.Writable() ? "yes" : "no");
            std::printf("erasable: %s\n", w.Erasable() ? "yes" : "no");
            std::printf("free blocks: %u\n", w.GetFreeBlocksOnDisc());
            std::printf("total blocks: %u\n", w.GetTotalBlocksOnDisc());
        }
        std::printf("burner: %s\n", w.DeviceIsBurner() ? "yes" : "no");
        std::printf("write speed: %u kB/s (maximum %u kB/s)\n", w.GetWriteSpeed(),
                    w.GetMaxWriteSpeed());
        return 0;
    }

    // Waits for the end of a burn, showing progress; the exit status.
    int Wait(bool started, bool quiet) {
        if (!started) {
            w.WaitForSession();
            w.UnlockMedium();
            return ErrorExit();
        }
        const bool tty = isatty(STDERR_FILENO);
        {
            std::unique_lock<std::mutex> g(m_);
            bool aborted = false;
            while (!done_) {
                cv_.wait_for(g, std::chrono::milliseconds(500));
                if (g_stop && !aborted && !done_) {
                    aborted = true;
                    std::fputs("\nquivera-burn: stopping; the disc is being closed\n", stderr);
                    w.AbortBurn();
                }
                if (quiet || done_) continue;
                uint32_t total = w.GetImageSize(), written = w.GetBlocksWritten();
                unsigned pct = total ? unsigned(uint64_t(written) * 100 / total) : 0;
                uint32_t size = w.GetDeviceBufferSize(), used = w.GetDeviceBufferPosition();
                unsigned buffer = size ? unsigned(uint64_t(used) * 100 / size) : 0;
                std::fprintf(stderr,
                             tty ? "\r%3u%% (%u of %u blocks), drive buffer %u%%"
                                 : "%u%% (%u of %u blocks), drive buffer %u%%\n",
                             pct, written, total, buffer);
            }
        }
        w.WaitForSession();
        w.UnlockMedium(); // the tray was locked for the writing or erasing
        if (!quiet && tty) std::fputc('\n', stderr);
        if (failed_) return ErrorExit();
        if (!quiet) std::fprintf(stderr, "done: %u blocks written\n", w.GetBlocksWritten());
        return 0;
    }

    void Listen() {
        w.SetOnWriteDone([this](void*, bool failed) { Finish(failed); });
        w.SetOnEraseDone([this](void*, bool failed) { Finish(failed); });
    }

    void Finish(bool failed) {
        std::lock_guard<std::mutex> g(m_);
        done_ = true;
        failed_ = failed;
        cv_.notify_all();
    }

    dw::TDiscWriter w;

  private:
    std::mutex m_;
    std::condition_variable cv_;
    bool done_ = false, failed_ = false;
};

} // namespace

int main(int argc, char** argv) {
    std::string device, volumeId, image;
    bool list = false, info = false, erase = false, full = false;
    bool joliet = true, udf = true, testWrite = false, finalize = false, quiet = false;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* name) -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "quivera-burn: %s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--list")
            list = true;
        else if (a == "--info")
            info = true;
        else if (a == "--device")
            device = value("--device");
        else if (a == "--volume-id")
            volumeId = value("--volume-id");
        else if (a == "--no-joliet")
            joliet = false;
        else if (a == "--no-udf")
            udf = false;
        else if (a == "--test-write")
            testWrite = true;
        else if (a == "--finalize")
            finalize = true;
        else if (a == "--image")
            image = value("--image");
        else if (a == "--erase")
            erase = true;
        else if (a == "--full")
            full = true;
        else if (a == "--quiet" || a == "-q")
            quiet = true;
        else if (a == "-h" || a == "--help") {
            Usage(stdout);
            return 0;
        } else if (a == "--version") {
            std::puts("quivera-burn " QUIVERA_VERSION);
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            Usage(stderr);
            return 2;
        } else {
            folders.push_back(a);
        }
    }
    int jobs = int(list) + int(info) + int(erase) + int(!image.empty()) + int(!folders.empty());
    if (jobs != 1 || (full && !erase)) {
        Usage(stderr);
        return 2;
    }

    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    Tool t;
    if (list) return t.List();
    if (!t.Open(device)) return 1;
    if (info) return t.Info();
    t.Listen();
    t.w.SetTestWrite(testWrite);
    t.w.SetFinalizeDisc(finalize);

    if (erase) {
        t.w.LockMedium();
        if (!quiet) std::fprintf(stderr, "erasing (%s)...\n", full ? "full" : "quick");
        return t.Wait(t.w.EraseDisc(!full), true) == 0
                   ? (quiet ? 0 : (std::fputs("erased\n", stderr), 0))
                   : 1;
    }
    if (!image.empty()) {
        t.w.LockMedium();
        return t.Wait(t.w.BurnISOImage(image), quiet);
    }

    if (!volumeId.empty()) t.w.SetVolumeID(volumeId);
    t.w.SetJolietFileSystem(joliet);
    t.w.SetUDFBridge(udf);
    // Anything left out of the tree fails the run: a backup that silently lacks files is
    // worse than none.
    for (const auto& folder : folders)
        if (!t.w.InsertDir("/", folder, "*", true, false))
            return t.Fail("cannot read folder " + folder + ": " +
                          t.w.GetErrorString(t.w.GetErrorNumber()));
    t.w.Prepare();
    t.w.LockMedium();
    return t.Wait(t.w.Burn(), quiet);
}
