// Helpers shared by the disc-writer tests: temporary folders, generated files, image reading.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace burner_test {

namespace fs = std::filesystem;

class TempDir {
  public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "quivera-burner-XXXXXX").string();
        path_ = mkdtemp(tmpl.data()) ? tmpl : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

  private:
    std::string path_;
};

inline std::vector<uint8_t> Bytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = uint8_t(rng());
    return v;
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

// A file of 4 GiB that takes no disk space (sparse): beyond what one ISO 9660 extent can hold.
inline bool WriteHugeSparseFile(const std::string& path) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream{path};
    std::error_code ec;
    fs::resize_file(path, 0x100000000ULL, ec);
    return !ec;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Runs a shell command; returns its exit status and fills `output` with stdout and stderr.
// Relative path -> contents ("/" for a folder) of everything below `root`.
inline std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::string rel = fs::relative(it->path(), root).string();
        if (it->is_directory())
            out[rel] = "/";
        else {
            auto b = ReadFile(it->path().string());
            out[rel] = std::string(b.begin(), b.end());
        }
    }
    return out;
}

inline int Shell(const std::string& command, std::string* output = nullptr) {
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    int status = pclose(p);
    if (output) *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Extracts the Joliet tree (else the primary one) of an image with xorriso, or of the session
// that starts at block `session`; gives xorriso's exit status, its output in `output`.
inline int ExtractWithXorriso(const std::string& iso, const std::string& dest, std::string* output,
                              long session = -1) {
    return Shell("xorriso -osirrox on -read_fs norock -indev " + Quote(iso) +
                     (session >= 0 ? " -load sbsector " + std::to_string(session) : "") +
                     " -extract / " + Quote(dest),
                 output);
}

inline uint32_t LE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint32_t BE32(const uint8_t* p) {
    return uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24;
}
inline uint16_t LE16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline uint16_t BE16(const uint8_t* p) {
    return uint16_t(p[0] << 8 | p[1]);
}

} // namespace burner_test

#include "burner/dwdiscwriter.h"

#include <condition_variable>
#include <mutex>

namespace burner_test {

struct BuildResult {
    bool started = false;
    bool handlerCalled = false;
    bool writeFailed = false;
};

// Prepares and builds an image file, waiting for the completion handler.
inline BuildResult BuildAndWait(dw::TDiscWriter& w, const std::string& image, bool prepare = true) {
    std::mutex m;
    std::condition_variable cv;
    BuildResult r;
    w.SetOnWriteDone([&](void*, bool failed) {
        std::lock_guard<std::mutex> g(m);
        r.handlerCalled = true;
        r.writeFailed = failed;
        cv.notify_all();
    });
    if (prepare) w.Prepare();
    r.started = w.BuildISOImage(image);
    if (r.started) {
        std::unique_lock<std::mutex> g(m);
        cv.wait_for(g, std::chrono::seconds(60), [&] { return r.handlerCalled; });
    }
    w.WaitForSession();
    w.SetOnWriteDone(nullptr);
    return r;
}

} // namespace burner_test
