// The in-memory file tree: folders and files that the next image will hold.
#pragma once

#include "dwtreetypes.h"

#include <string>
#include <string_view>

namespace dw {

// Empties the tree and creates a fresh root.
void ClearAll(TCDFiles& files);

// Folder named by a path of "/"-separated components below the root; "" and "/" are the root.
TDirEntry* FindDirW(TCDFiles& files, std::u16string_view path);
TDirEntry* FindDir(TCDFiles& files, std::string_view path);
// "/" for the root, otherwise "/" + each name from the root down followed by "/".
std::u16string DirPathW(const TDirEntry* dir);

TDirEntry* CreateDirW(TCDFiles& files, std::u16string_view parentPath, std::u16string_view name);
TDirEntry* CreateDir(TCDFiles& files, std::string_view parentPath, std::string_view name);

TFileEntry* InsertFileW(TCDFiles& files, std::u16string_view destPath,
                        std::u16string_view sourceFile);
TFileEntry* InsertFile(TCDFiles& files, std::string_view destPath, std::string_view sourceFile);

TFileEntry* InsertFileWithNameW(TCDFiles& files, std::u16string_view destPath,
                                std::u16string_view sourceFile, std::u16string_view longName,
                                std::u16string_view shortName);
TFileEntry* InsertFileWithName(TCDFiles& files, std::string_view destPath,
                               std::string_view sourceFile, std::string_view longName,
                               std::string_view shortName);

TFileEntry* InsertMemoryFileW(TCDFiles& files, std::u16string_view destPath,
                              const TFindData& findData, TMemoryFileReader reader);
TFileEntry* InsertMemoryFile(TCDFiles& files, std::string_view destPath, const TFindData& findData,
                             TMemoryFileReader reader);

TDirEntry* InsertDirW(TCDFiles& files, std::u16string_view destPath,
                      std::u16string_view sourceFolder, std::u16string_view fileMask,
                      bool recursive, bool keepSourcePath);
TDirEntry* InsertDir(TCDFiles& files, std::string_view destPath, std::string_view sourceFolder,
                     std::string_view fileMask, bool recursive, bool keepSourcePath);

// Lower-level steps, also used when a session is imported. An existing entry whose name equals
// the new one ignoring case is returned (or refilled with ReplaceFile); with `exactNames` (names
// from a case-sensitive file system) only an exact match is, and a case variant becomes an entry
// of its own. A nil result leaves the cause in the error code; `origin` names the source then.
TDirEntry* CreateDirIn(TCDFiles& files, TDirEntry* parent, const TFindData& fd, bool wide,
                       bool exactNames = false, const std::string& origin = std::string());
TFileEntry* InsertEntry(TCDFiles& files, TDirEntry* dir, const TFindData& fd, bool wide,
                        uint32_t absoluteBlock, const std::string& sourcePath,
                        bool exactNames = false);

void SetReplaceFile(TCDFiles& files, bool value);
bool GetReplaceFile(const TCDFiles& files);
uint32_t GetFileCount(const TCDFiles& files);
uint32_t GetDirCount(const TCDFiles& files);

// Accepts boot images of 2048, 1,228,800, 1,474,560 or 2,949,120 bytes; empty path clears.
bool SetBootImage(TCDFiles& files, std::string_view path);
std::string GetBootImage(const TCDFiles& files);

// Text of an error code; code 2 and 3 name the failing file when one is known.
std::string GetErrorString(TCDFiles& files, uint32_t code);
std::u16string GetErrorStringW(TCDFiles& files, uint32_t code);
uint16_t GetComponentStatus(const TCDFiles& files);

// Describes a file or folder on disk; false when it does not exist.
bool ReadFindData(const std::string& path, TFindData& fd);

} // namespace dw
