#include "burner/dwtree.h"

#include "burner/dwsysutilsw.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dw {

namespace {

constexpr uint64_t kMaxFileSize = 0xFFFFFFFFull; // one extent of the directory record

void SetIsoName(char (&dst)[16], uint8_t& len, const std::string& name) {
    std::memset(dst, 0, sizeof dst);
    size_t n = std::min(name.size(), sizeof dst - 1);
    std::memcpy(dst, name.data(), n);
    len = uint8_t(n);
}

// The identifier of an ISO name without its version, as kept in a folder's clash set.
std::string IsoId(const TFileEntry& e) {
    std::string s(e.isoName, e.isoNameLen);
    if (auto p = s.find(';'); p != std::string::npos) s.resize(p);
    return s;
}

// The long name with the additions of a file: "." when it has none, then ";1" unless the name
// already ends with that version.
std::u16string JolietNameOf(std::u16string_view longName, bool directory) {
    std::u16string j(longName);
    if (!directory) {
        const bool versioned = j.size() >= 2 && j.compare(j.size() - 2, 2, u";1") == 0;
        if (versioned) j.resize(j.size() - 2);
        if (j.find(u'.') == std::u16string::npos) j += u'.';
        j += u";1";
    }
    return j;
}

std::string_view StripTrailingSlash(std::string_view p) {
    if (p.size() > 1 && p.back() == '/') p.remove_suffix(1);
    return p;
}
std::u16string_view StripTrailingSlashW(std::u16string_view p) {
    if (p.size() > 1 && p.back() == u'/') p.remove_suffix(1);
    return p;
}

std::string BaseName(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    size_t p = path.rfind('/');
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

// Names in a folder, sorted so that images of the same folder come out the same.
std::vector<std::string> ListFolder(const std::string& folder, bool& ok) {
    std::vector<std::string> names;
    DIR* d = opendir(folder.c_str());
    ok = d != nullptr;
    if (!d) return names;
    while (dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        names.emplace_back(e->d_name);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// The first failure of a tree operation stays until GetErrorNumber reads it.
void TreeError(TCDFiles& files, uint32_t code, const std::string& name) {
    std::lock_guard<std::mutex> g(files.lock);
    if (files.error == kErrNone) {
        files.error = code;
        files.failingName = name;
    }
}

std::string DiscPath(const TDirEntry* dir, std::u16string_view name) {
    return Utf16ToUtf8(DirPathW(dir) + std::u16string(name));
}

bool BadName(std::u16string_view name) {
    return name.empty() || name.size() > 255 || name == u"." || name == u".." ||
           name.find(u'/') != std::u16string_view::npos ||
           name.find(u'\0') != std::u16string_view::npos;
}

// A name whose bytes are not valid UTF-8 was converted with replacement characters; two such
// names can come out the same. The later one gets "~n" before its extension: the first number
// that is free, or that the same source already holds.
bool FromSource(const TFileEntry* e, const std::string& path) {
    return e->directory ? e->directory->origin == path : e->sourcePath == path;
}

std::u16string UniqueLossyName(const TDirEntry* dir, const std::u16string& name,
                               const std::string& path) {
    size_t dot = name.rfind(u'.');
    if (dot == 0 || dot == std::u16string::npos) dot = name.size();
    for (unsigned n = 1;; ++n) {
        std::u16string tail = u"~" + Utf8ToUtf16(std::to_string(n));
        std::u16string base =
            name.substr(0, std::min(dot, 255 - (name.size() - dot) - tail.size()));
        std::u16string candidate = base + tail + name.substr(dot);
        auto it = dir->byExactName.find(candidate);
        if (it == dir->byExactName.end() || FromSource(it->second, path)) return candidate;
    }
}

bool Lossy(const std::string& native, const std::u16string& converted) {
    return Utf16ToUtf8(converted) != native;
}

const char* SpecialKind(mode_t mode) {
    if (S_ISFIFO(mode)) return "named pipe";
    if (S_ISSOCK(mode)) return "socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "device";
    return "special file";
}

void Skip(TCDFiles& files, const std::string& path, const std::string& reason) {
    std::lock_guard<std::mutex> g(files.lock);
    files.skipped.emplace_back(path, reason);
}

using FolderChain = std::vector<std::pair<dev_t, ino_t>>;

// False when anything below `folder` was left out; the first cause is in the error code.
// Special files are passed over and listed in `files.skipped`. `chain` holds the folders from
// the top of the import down to `folder`, so that a followed link cannot loop.
bool FillFolder(TCDFiles& files, TDirEntry* target, const std::string& folder,
                const std::string& mask, bool recursive, bool wide, FolderChain& chain) {
    bool listed = false;
    std::vector<std::string> names = ListFolder(folder, listed);
    if (!listed) TreeError(files, kErrOpenFile, folder);
    bool ok = listed;
    if (recursive) {
        for (const auto& name : names) {
            std::string path = JoinPath(folder, name);
            struct stat ls {
            }, st{};
            if (lstat(path.c_str(), &ls) != 0 || stat(path.c_str(), &st) != 0 ||
                !S_ISDIR(st.st_mode))
                continue; // no folder (the file pass looks at it)
            if (S_ISLNK(ls.st_mode)) {
                if (!files.followLinks) {
                    Skip(files, path, "link to a folder");
                    continue;
                }
                if (std::find(chain.begin(), chain.end(), std::make_pair(st.st_dev, st.st_ino)) !=
                    chain.end()) {
                    Skip(files, path, "link to a folder that contains it");
                    continue;
                }
            }
            TFindData fd;
            if (!ReadFindData(path, fd)) {
                TreeError(files, kErrOpenFile, path);
                ok = false;
                continue;
            }
            TDirEntry* sub = nullptr;
            if (auto it = target->byExactName.find(fd.longName); it != target->byExactName.end() &&
                                                                 Lossy(name, fd.longName) &&
                                                                 !FromSource(it->second, path))
                fd.longName = UniqueLossyName(target, fd.longName, path);
            sub = CreateDirIn(files, target, fd, wide, true, path);
            if (!sub) {
                ok = false;
                continue;
            }
            if (sub->origin.empty()) sub->origin = path;
            chain.emplace_back(st.st_dev, st.st_ino);
            if (!FillFolder(files, sub, path, mask, true, wide, chain)) ok = false;
            chain.pop_back();
        }
    }
    for (const auto& name : names) {
        if (fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
        std::string path = JoinPath(folder, name);
        struct stat ls {
        }, st{};
        if (lstat(path.c_str(), &ls) != 0) { // gone since the listing
            TreeError(files, kErrOpenFile, path);
            ok = false;
            continue;
        }
        if (stat(path.c_str(), &st) != 0) {
            if (S_ISLNK(ls.st_mode)) {
                Skip(files, path, "dangling link");
            } else {
                TreeError(files, kErrOpenFile, path);
                ok = false;
            }
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            // Links to folders when nothing is recursed into; real folders are no files.
            if (S_ISLNK(ls.st_mode) && !recursive) Skip(files, path, "link to a folder");
            continue;
        }
        if (!S_ISREG(st.st_mode)) {
            Skip(files, path, SpecialKind(st.st_mode));
            continue;
        }
        TFindData fd;
        if (!ReadFindData(path, fd)) {
            TreeError(files, kErrOpenFile, path);
            ok = false;
            continue;
        }
        if (auto it = target->byExactName.find(fd.longName); it != target->byExactName.end() &&
                                                             Lossy(name, fd.longName) &&
                                                             !FromSource(it->second, path))
            fd.longName = UniqueLossyName(target, fd.longName, path);
        if (!InsertEntry(files, target, fd, wide, 0, path, true)) ok = false;
    }
    return ok;
}

std::string NativeMask(std::string_view mask) {
    if (mask.empty() || mask == "*.*") return "*";
    return std::string(mask);
}

} // namespace

bool ReadFindData(const std::string& path, TFindData& fd) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) return false; // no devices, pipes, sockets
    std::string base = BaseName(path);
    fd = TFindData{};
    fd.attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : 0;
    if (!base.empty() && base[0] == '.') fd.attributes |= kAttrHidden;
    fd.lastWriteTime = static_cast<int64_t>(st.st_mtime);
    fd.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    fd.longName = Utf8ToUtf16(base);
    return true;
}

void ClearAll(TCDFiles& files) {
    files.root = nullptr; // stays nil if the new root cannot be made
    files.fileTable.clear();
    files.dirTable.clear();
    files.pathTable.clear();
    files.pathTableJ.clear();
    files.fileCount = 0;
    files.dirCount = 0;
    files.skipped.clear();
    files.header.clear();
    files.header.shrink_to_fit();
    files.headerPos = 0;
    files.prepared = false;
    files.padBlocks = 0;

    auto root = std::make_unique<TDirEntry>();
    root->parent = root.get();
    SetIsoName(root->isoName, root->isoNameLen, "ROOT_DIR");
    root->number = 1;
    root->numberJ = 1;
    files.root = root.get();
    files.pathTable.push_back(root.get());
    files.pathTableJ.push_back(root.get());
    files.dirTable.push_back(std::move(root));

    files.bootImage.clear();
    files.bootSize = 0;
    files.tzOffset = CurrentTzOffset();
    files.udf = TUDFLayout{};
}

TDirEntry* FindDirW(TCDFiles& files, std::u16string_view path) {
    TDirEntry* cur = files.root;
    if (!cur) return nullptr;
    size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && path[i] == u'/')
            ++i;
        if (i >= path.size()) break;
        size_t j = path.find(u'/', i);
        if (j == std::u16string_view::npos) j = path.size();
        // A folder spelt exactly so comes first: names from disk may differ only in case.
        std::u16string_view part = path.substr(i, j - i);
        TFileEntry* e = nullptr;
        if (auto it = cur->byExactName.find(std::u16string(part)); it != cur->byExactName.end())
            e = it->second;
        if (!e || !e->directory) {
            auto it = cur->byFoldedName.find(StrUpperCaseW(part));
            e = it == cur->byFoldedName.end() ? nullptr : it->second;
        }
        if (!e || !e->directory) return nullptr;
        cur = e->directory;
        i = j;
    }
    return cur;
}

TDirEntry* FindDir(TCDFiles& files, std::string_view path) {
    return FindDirW(files, Utf8ToUtf16(path));
}

std::u16string DirPathW(const TDirEntry* dir) {
    std::vector<const TDirEntry*> chain;
    while (dir && dir->parent != dir) {
        chain.push_back(dir);
        dir = dir->parent;
    }
    std::u16string s = u"/";
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        s += (*it)->longName + u"/";
    return s;
}

TFileEntry* InsertEntry(TCDFiles& files, TDirEntry* dir, const TFindData& fd, bool wide,
                        uint32_t absoluteBlock, const std::string& sourcePath, bool exactNames) {
    if (!dir) return nullptr;
    const bool isDir = fd.attributes & kAttrDirectory;
    auto fail = [&](uint32_t code) -> TFileEntry* {
        TreeError(files, code, sourcePath.empty() ? DiscPath(dir, fd.longName) : sourcePath);
        return nullptr;
    };
    if (BadName(fd.longName)) return fail(kErrBadName);
    if (fd.size > kMaxFileSize) return fail(kErrFileTooLarge);

    // An entry is known by its long name: exactly, and for the caller's own inserts also
    // ignoring case. Names that only come out alike on the disc ("a" and "a.", "q" and "q.;1")
    // are different entries; Prepare gives their recorded names apart.
    std::u16string joliet = JolietNameOf(fd.longName, isDir);
    std::u16string key = StrUpperCaseW(fd.longName);
    TFileEntry* e = nullptr;
    if (auto it = dir->byExactName.find(fd.longName); it != dir->byExactName.end()) {
        e = it->second;
    } else if (!exactNames) {
        if (auto f = dir->byFoldedName.find(key); f != dir->byFoldedName.end()) e = f->second;
    }
    if (e) {
        // The same source file again is the same entry. Anything else under a name in use
        // would be lost without a word: it fails, unless the caller asked for replacement.
        const bool sameSource = !sourcePath.empty() && !e->reader && e->sourcePath == sourcePath;
        if (isDir && e->directory) return e;
        if (isDir || e->directory) return fail(kErrNameClash);
        if (sameSource && !files.replaceFile) return e;
        if (!files.replaceFile) return fail(kErrNameClash);
        dir->isoNamesUsed.erase(IsoId(*e));
        dir->shortNameNext.clear(); // a freed number must be found again
        if (auto it = dir->byExactName.find(e->longName);
            it != dir->byExactName.end() && it->second == e)
            dir->byExactName.erase(it);
        dir->byExactName.emplace(fd.longName, e);
        e->reader = nullptr;
    } else {
        if (files.fileTable.size() >= kMaxFiles) return fail(kErrTooManyEntries);
        files.fileTable.push_back(std::make_unique<TFileEntry>());
        e = files.fileTable.back().get();
        files.fileCount = uint32_t(files.fileTable.size());
        if (dir->lastChild)
            dir->lastChild->next = e;
        else
            dir->firstChild = e;
        dir->lastChild = e;
        dir->byFoldedName.emplace(key, e);
        dir->byExactName.emplace(fd.longName, e);
    }
    files.prepared = false;

    std::string iso = fd.shortName.empty() ? MakeShortName(fd.longName, isDir, dir->isoNamesUsed,
                                                           &dir->shortNameNext)
                                           : FitShortName(Utf16ToUtf8(fd.shortName), isDir,
                                                          dir->isoNamesUsed, &dir->shortNameNext);
    if (!isDir && iso.find('.') == std::string::npos) iso += '.';
    dir->isoNamesUsed.insert(iso);
    if (!isDir) iso += ";1";
    SetIsoName(e->isoName, e->isoNameLen, iso);

    e->jolietName = std::move(joliet);
    e->jolietNameLen = uint8_t(std::min<size_t>(e->jolietName.size(), 255));
    e->longName = fd.longName;
    e->utcTime = fd.lastWriteTime;
    UtcToLocal(fd.lastWriteTime, e->date, e->tzOffset);
    e->size = fd.size;
    e->sourcePath = sourcePath;
    e->hasSource = !sourcePath.empty();
    e->wide = wide ? 1 : 0;
    e->absoluteExtent = absoluteBlock ? 1 : 0;
    e->extent = absoluteBlock;
    e->attributes = fd.attributes;
    return e;
}

TDirEntry* CreateDirIn(TCDFiles& files, TDirEntry* parent, const TFindData& fdIn, bool wide,
                       bool exactNames, const std::string& origin) {
    if (!parent) return nullptr;
    TFindData fd = fdIn;
    fd.attributes |= kAttrDirectory;
    fd.size = 0;
    const std::string name = origin.empty() ? DiscPath(parent, fd.longName) : origin;
    TFileEntry* found = nullptr;
    if (auto it = parent->byExactName.find(fd.longName); it != parent->byExactName.end()) {
        found = it->second;
    } else if (!exactNames) {
        if (auto it = parent->byFoldedName.find(StrUpperCaseW(fd.longName));
            it != parent->byFoldedName.end())
            found = it->second;
    }
    if (found) {
        if (!found->directory) TreeError(files, kErrNameClash, name);
        return found->directory; // an existing folder, or nil when a file has the name
    }
    if (files.dirTable.size() >= kMaxDirs || files.fileTable.size() >= kMaxFiles) {
        TreeError(files, kErrTooManyEntries, name);
        return nullptr;
    }

    TFileEntry* e = InsertEntry(files, parent, fd, wide, 0, std::string(), exactNames);
    if (!e) return nullptr;
    auto d = std::make_unique<TDirEntry>();
    d->parent = parent;
    d->longName = fd.longName;
    d->longNameLen = uint8_t(std::min<size_t>(fd.longName.size(), 255));
    std::memcpy(d->isoName, e->isoName, sizeof d->isoName);
    d->isoNameLen = e->isoNameLen;
    e->directory = d.get();
    d->entry = e;
    files.pathTable.push_back(d.get());
    files.pathTableJ.push_back(d.get());
    files.dirTable.push_back(std::move(d));
    files.dirCount = uint32_t(files.dirTable.size()) - 1;
    files.prepared = false;
    return e->directory;
}

TDirEntry* CreateDirW(TCDFiles& files, std::u16string_view parentPath, std::u16string_view name) {
    TFindData fd;
    fd.attributes = kAttrDirectory;
    fd.lastWriteTime = NowUtc();
    fd.longName = std::u16string(name);
    fd.shortName = std::u16string(name.substr(0, 11));
    TDirEntry* parent = FindDirW(files, parentPath);
    if (!parent) return nullptr;
    return CreateDirIn(files, parent, fd, true);
}

TDirEntry* CreateDir(TCDFiles& files, std::string_view parentPath, std::string_view name) {
    return CreateDirW(files, Utf8ToUtf16(parentPath), Utf8ToUtf16(name));
}

TFileEntry* InsertFileWithNameW(TCDFiles& files, std::u16string_view destPath,
                                std::u16string_view sourceFile, std::u16string_view longName,
                                std::u16string_view shortName) {
    std::string source = Utf16ToUtf8(sourceFile);
    TFindData fd;
    if (!ReadFindData(source, fd) || (fd.attributes & kAttrDirectory)) return nullptr;
    if (!longName.empty()) fd.longName = std::u16string(longName);
    fd.shortName = std::u16string(shortName);
    TDirEntry* dir = FindDirW(files, StripTrailingSlashW(destPath));
    if (!dir) return nullptr;
    return InsertEntry(files, dir, fd, true, 0, source);
}

TFileEntry* InsertFileW(TCDFiles& files, std::u16string_view destPath,
                        std::u16string_view sourceFile) {
    return InsertFileWithNameW(files, destPath, sourceFile, u"", u"");
}

TFileEntry* InsertFile(TCDFiles& files, std::string_view destPath, std::string_view sourceFile) {
    return InsertFileWithName(files, destPath, sourceFile, "", "");
}

TFileEntry* InsertFileWithName(TCDFiles& files, std::string_view destPath,
                               std::string_view sourceFile, std::string_view longName,
                               std::string_view shortName) {
    // Native paths go through unchanged so that names that are not valid UTF-8 still open.
    std::string source(sourceFile);
    TFindData fd;
    if (!ReadFindData(source, fd) || (fd.attributes & kAttrDirectory)) return nullptr;
    if (!longName.empty()) fd.longName = Utf8ToUtf16(longName);
    fd.shortName = Utf8ToUtf16(shortName);
    TDirEntry* dir = FindDir(files, StripTrailingSlash(destPath));
    if (!dir) return nullptr;
    TFileEntry* e = InsertEntry(files, dir, fd, false, 0, source);
    return e;
}

TFileEntry* InsertMemoryFileW(TCDFiles& files, std::u16string_view destPath,
                              const TFindData& findData, TMemoryFileReader reader) {
    if ((findData.attributes & kAttrDirectory) || !reader) return nullptr;
    TDirEntry* dir = FindDirW(files, StripTrailingSlashW(destPath));
    if (!dir) return nullptr;
    TFileEntry* e = InsertEntry(files, dir, findData, true, 0, std::string());
    if (e) e->reader = std::move(reader);
    return e;
}

TFileEntry* InsertMemoryFile(TCDFiles& files, std::string_view destPath, const TFindData& findData,
                             TMemoryFileReader reader) {
    return InsertMemoryFileW(files, Utf8ToUtf16(destPath), findData, std::move(reader));
}

TDirEntry* InsertDir(TCDFiles& files, std::string_view destPath, std::string_view sourceFolder,
                     std::string_view fileMask, bool recursive, bool keepSourcePath) {
    TDirEntry* target = FindDir(files, StripTrailingSlash(destPath));
    if (!target) return nullptr;
    std::string folder(StripTrailingSlash(sourceFolder));
    struct stat st {};
    if (folder.empty() || stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        TreeError(files, kErrOpenFile, folder);
        return nullptr;
    }
    if (keepSourcePath && folder.size() > 2) {
        size_t i = 0;
        while (i < folder.size()) {
            while (i < folder.size() && folder[i] == '/')
                ++i;
            if (i >= folder.size()) break;
            size_t j = folder.find('/', i);
            if (j == std::string::npos) j = folder.size();
            target = CreateDirW(files, DirPathW(target), Utf8ToUtf16(folder.substr(i, j - i)));
            if (!target) return nullptr;
            i = j;
        }
    }
    FolderChain chain{{st.st_dev, st.st_ino}};
    if (!FillFolder(files, target, folder, NativeMask(fileMask), recursive, false, chain))
        return nullptr;
    return target;
}

TDirEntry* InsertDirW(TCDFiles& files, std::u16string_view destPath,
                      std::u16string_view sourceFolder, std::u16string_view fileMask,
                      bool recursive, bool keepSourcePath) {
    TDirEntry* d = InsertDir(files, Utf16ToUtf8(destPath), Utf16ToUtf8(sourceFolder),
                             Utf16ToUtf8(fileMask), recursive, keepSourcePath);
    return d;
}

void SetReplaceFile(TCDFiles& files, bool value) {
    files.replaceFile = value;
}
bool GetReplaceFile(const TCDFiles& files) {
    return files.replaceFile;
}
uint32_t GetFileCount(const TCDFiles& files) {
    return files.fileCount;
}
uint32_t GetDirCount(const TCDFiles& files) {
    return files.dirCount;
}

bool SetBootImage(TCDFiles& files, std::string_view path) {
    files.prepared = false;
    files.bootImage.clear();
    files.bootSize = 0;
    if (path.empty()) return true;
    std::string p(path);
    struct stat st {};
    if (stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const off_t size = st.st_size;
    if (size != 2048 && size != 1228800 && size != 1474560 && size != 2949120) return false;
    int fd = open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    files.bootImage = p;
    files.bootSize = uint32_t(size);
    return true;
}

std::string GetBootImage(const TCDFiles& files) {
    return files.bootImage;
}

std::string GetErrorString(TCDFiles& files, uint32_t code) {
    std::string name;
    {
        std::lock_guard<std::mutex> g(files.lock);
        name = files.failingName;
    }
    switch (code) {
    case kErrNone:
        return "Unknown/No Error!";
    case kErrNotPrepared:
        return "Data not prepared ";
    case kErrOpenFile:
        return name.empty() ? "Error opening file" : "Error opening file \\" + name + "\\";
    case kErrCreateFile:
        return name.empty() ? "Error creating file" : "Error creating file \\" + name + "\\";
    case kErrAborted:
        return "Aborted by user";
    case kErrOutOfMemory:
        return "Out of memory";
    case kErrSystem:
        return "System resources exhausted";
    case kErrFileTooLarge:
        return "File too large \\" + name + "\\";
    case kErrBadName:
        return "Name not supported \\" + name + "\\";
    case kErrTooManyEntries:
        return "Too many files or folders \\" + name + "\\";
    case kErrNameClash:
        return "Name already used \\" + name + "\\";
    default:
        return "Hardware Error " + std::to_string(code);
    }
}

std::u16string GetErrorStringW(TCDFiles& files, uint32_t code) {
    return Utf8ToUtf16(GetErrorString(files, code));
}

uint16_t GetComponentStatus(const TCDFiles& files) {
    return files.status.load();
}

} // namespace dw
