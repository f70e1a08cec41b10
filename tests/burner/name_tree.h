// A generator of source trees whose names the disc formats cannot all hold as they are: names
// that come out alike on the disc, characters beyond UCS-2, characters Joliet forbids, ";1"
// suffixes, trailing dots, case twins, 200-byte names and names that are not valid UTF-8.
#pragma once

#include "support.h"

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace burner_test {

// Files are told apart by a hash of their bytes, so a failed comparison stays readable.
inline size_t ContentKey(const std::vector<uint8_t>& data) {
    return std::hash<std::string>{}(std::string(data.begin(), data.end()));
}

struct NameTree {
    size_t files = 0;
    size_t folders = 0;
    std::map<size_t, size_t> contents; // every file's bytes (hashed), counted
};

// Every awkward name, as the bytes of a Linux file name.
inline std::vector<std::string> AwkwardFileNames() {
    return {// come out alike once "." and ";1" are added
            "noext", "noext.", "q", "q.;1",
            // beyond the Basic Multilingual Plane
            "\xF0\x9F\x93\xB7 camera.jpg",
            "family \xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9.txt",
            // forbidden in Joliet, and two that map to the same name
            "star*.txt", "what?.txt", "colon:name.txt", "semi;colon.txt", "back\\slash.txt",
            "tab\tname.txt", "bell\x07.txt", "a*b", "a?b",
            // versions written by the user
            "semi;1", "ver.txt;1", "x;1.txt",
            // trailing dots
            "trailing dot.", "two dots..",
            // case twins
            "Case.txt", "case.txt", "CASE.TXT",
            // 200 bytes: plain, two sharing their first 196, two-byte and four-byte characters
            std::string(196, 'l') + ".jpg", std::string(196, 'l') + ".png",
            [] {
                std::string s;
                for (int i = 0; i < 100; ++i)
                    s += "\xC3\xA4";
                return s;
            }(),
            [] {
                std::string s;
                for (int i = 0; i < 49; ++i)
                    s += "\xF0\x9F\x8F\xA0";
                return s + ".txt";
            }(),
            // not UTF-8: both become "caf\uFFFD.txt"
            "caf\xE9.txt", "caf\xE8.txt"};
}

inline std::vector<std::string> AwkwardFolderNames() {
    return {"Twin", "twin", "folder.", "\xF0\x9F\x8F\xA0 home", "d\xFF", "what?", "v;1"};
}

// Writes a tree under `root`: the awkward names in the root, spread over the awkward folders by
// `seed`, and a chain of folders with a few of them again. Every file has its own contents.
inline NameTree MakeNameTree(const std::string& root, uint32_t seed) {
    NameTree t;
    std::mt19937 rng(seed);
    fs::create_directories(root);
    uint32_t serial = seed * 1000;
    auto file = [&](const std::string& dir, const std::string& name) {
        auto data = Bytes(1 + rng() % 5000, ++serial);
        WriteFile(dir + "/" + name, data);
        ++t.contents[ContentKey(data)];
        ++t.files;
    };
    auto folder = [&](const std::string& path) {
        if (fs::create_directories(path)) ++t.folders; // a chain may pass an existing one
        return path;
    };
    const auto files = AwkwardFileNames();
    const auto folders = AwkwardFolderNames();
    for (const auto& n : files)
        file(root, n);
    std::vector<std::string> made;
    for (const auto& n : folders)
        made.push_back(folder(root + "/" + n));
    for (const auto& n : files)
        if (rng() % 3 == 0) file(made[rng() % made.size()], n);
    std::string chain = root;
    for (int level = 0; level < 3; ++level) {
        chain = folder(chain + "/" + folders[(seed + unsigned(level)) % folders.size()]);
        file(chain, files[rng() % files.size()]);
    }
    return t;
}

} // namespace burner_test
