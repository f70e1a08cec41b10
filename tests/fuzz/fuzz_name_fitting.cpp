// Names as the disc image records them: for any folders and files the tree accepts, the Joliet
// and UDF names fit their limits, keep names that fit as they are, never split a surrogate pair,
// Joliet names hold only what Joliet can (UCS-2 level 1 without its forbidden characters),
// and are unique within their folder (ignoring case) whenever the names given were; ISO names
// are d-characters and unique.
#include "burner/dwiso9660.h"
#include "burner/dwsysutilsw.h"
#include "burner/dwtree.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const char* what, const std::u16string& name) {
    std::fprintf(stderr, "PROPERTY BROKEN: %s\n  name (UTF-16 units):", what);
    for (char16_t c : name)
        std::fprintf(stderr, " %04X", unsigned(c));
    std::fprintf(stderr, "\n  as UTF-8: %s\n", dw::Utf16ToUtf8(name).c_str());
    std::abort();
}

bool Narrow(const std::u16string& s) {
    for (char16_t c : s)
        if (c >= 0x100) return false;
    return true;
}

// Every surrogate part of a pair: what names read from the file system through UTF-8 are.
bool WellFormed(const std::u16string& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        const bool high = s[i] >= 0xD800 && s[i] < 0xDC00;
        if (high && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
            ++i;
        else if (s[i] >= 0xD800 && s[i] < 0xE000)
            return false;
    }
    return true;
}

// What a Joliet identifier may hold: characters of the Basic Multilingual Plane other than the
// controls and * / : ; ? \ .
bool JolietHolds(const std::u16string& s) {
    for (char16_t c : s)
        if (c < 0x20 || (c >= 0xD800 && c < 0xE000) || c == u'*' || c == u'/' || c == u':' ||
            c == u';' || c == u'?' || c == u'\\')
            return false;
    return true;
}

std::u16string WithoutVersion(const std::u16string& s) {
    return s.size() >= 2 && s.compare(s.size() - 2, 2, u";1") == 0 ? s.substr(0, s.size() - 2) : s;
}

// Checks one kind of recorded name across a folder's children: given names and recorded ones.
void CheckUnique(const std::vector<std::u16string>& given,
                 const std::vector<std::u16string>& recorded, const char* kind) {
    std::set<std::u16string> givenFolded, recordedFolded;
    for (const auto& g : given)
        givenFolded.insert(dw::StrUpperCaseW(g));
    const bool givenUnique = givenFolded.size() == given.size();
    for (size_t i = 0; i < recorded.size(); ++i) {
        const bool fresh = recordedFolded.insert(dw::StrUpperCaseW(recorded[i])).second;
        // A shortened name may never take a name already in use.
        if (!fresh && (givenUnique || recorded[i] != given[i]))
            Fail(kind[0] == 'J' ? "two Joliet names in one folder are the same"
                                : "two UDF names in one folder are the same",
                 recorded[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 16384) return 0;
    dw::TCDFiles files;
    dw::ClearAll(files);
    std::vector<dw::TDirEntry*> dirs{files.root};
    // Records separated by the unit 0x000A; a record's first unit says what it is (bits 0-1:
    // file, folder, or file from a case-sensitive source; the rest: which folder it goes into)
    // and the others are its name.
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2)
        text += char16_t(data[i] | (data[i + 1] << 8));
    size_t pos = 0;
    int records = 0;
    while (pos < text.size() && records++ < 400) {
        size_t end = text.find(u'\n', pos);
        if (end == std::u16string::npos) end = text.size();
        const std::u16string record = text.substr(pos, end - pos);
        pos = end + 1;
        if (record.empty()) continue;
        const unsigned control = record[0];
        dw::TDirEntry* parent = dirs[(control >> 2) % dirs.size()];
        dw::TFindData fd;
        fd.longName = record.substr(1);
        fd.lastWriteTime = 1700000000;
        switch (control & 3) {
        case 1:
            fd.attributes = dw::kAttrDirectory;
            if (dw::TDirEntry* d = dw::CreateDirIn(files, parent, fd, true)) {
                if (std::find(dirs.begin(), dirs.end(), d) == dirs.end()) dirs.push_back(d);
            }
            break;
        case 2:
            dw::InsertEntry(files, parent, fd, true, 0, std::string(), true);
            break;
        default:
            fd.size = 1;
            dw::InsertMemoryFileW(files, dw::DirPathW(parent), fd,
                                  [](dw::TFileEntry*, uint64_t, uint8_t* b, uint32_t n) {
                                      std::fill(b, b + n, uint8_t(0));
                                      return int64_t(n);
                                  });
            break;
        }
    }
    dw::Prepare(files);

    for (const auto& d : files.dirTable) {
        std::vector<std::u16string> givenJ, recordedJ, givenU, recordedU;
        std::set<std::string> iso;
        for (const dw::TFileEntry* e = d->firstChild; e; e = e->next) {
            const std::u16string stem =
                e->directory ? e->jolietName : WithoutVersion(e->jolietName);
            const std::u16string id = e->directory ? e->jolietId : WithoutVersion(e->jolietId);
            if (!e->directory && e->jolietId.size() < 2) Fail("a Joliet file name lacks ;1", id);
            const size_t limit = e->directory ? 103 : 101;
            if (id.empty() || id.size() > limit) Fail("Joliet name of a wrong length", id);
            if (!JolietHolds(WithoutVersion(id)))
                Fail("a Joliet name holds a character Joliet cannot", id);
            // A trailing dot is mapped too: readers drop it from the name they show.
            if (stem.size() <= limit && JolietHolds(stem) &&
                (stem.empty() || stem.back() != u'.') && id != stem)
                Fail("a Joliet name that fits was changed", id);
            if (WellFormed(stem) && !WellFormed(id))
                Fail("a shortened Joliet name splits a surrogate pair", id);
            givenJ.push_back(stem);
            recordedJ.push_back(id);

            const std::u16string& u = e->udfName;
            const size_t udfLimit = Narrow(e->longName) ? 254 : 127;
            if (u.empty() || u.size() > udfLimit) Fail("UDF name of a wrong length", u);
            if (e->longName.size() <= udfLimit && u != e->longName)
                Fail("a UDF name that fits was changed", u);
            if (WellFormed(e->longName) && !WellFormed(u))
                Fail("a shortened UDF name splits a surrogate pair", u);
            givenU.push_back(e->longName);
            recordedU.push_back(u);

            std::string name(e->isoName, e->isoNameLen);
            if (!e->directory) {
                if (name.size() < 2 || name.compare(name.size() - 2, 2, ";1") != 0)
                    Fail("an ISO file name lacks ;1", e->longName);
                name.resize(name.size() - 2);
            }
            for (char c : name)
                if (!dw::IsDChar(c) && c != '.' && c != '~')
                    Fail("an ISO name holds a non-d-character", e->longName);
            if (!iso.insert(name).second)
                Fail("two ISO names in one folder are the same", e->longName);
        }
        CheckUnique(givenJ, recordedJ, "Joliet");
        CheckUnique(givenU, recordedU, "UDF");
    }
    return 0;
}
