// TDiscWriter: the disc-writer component. It owns the file tree and the device record and
// forwards every property and method to the units that implement them.
#pragma once

#include "dwtreetypes.h"

#include <memory>
#include <string>
#include <string_view>

namespace dw {

class TDiscWriter {
  public:
    TDiscWriter();
    ~TDiscWriter();
    TDiscWriter(const TDiscWriter&) = delete;
    TDiscWriter& operator=(const TDiscWriter&) = delete;

    // Properties
    bool GetBurnProof() const;
    void SetBurnProof(bool value);
    bool GetTestWrite() const;
    void SetTestWrite(bool value);
    bool GetFinalizeDisc() const;
    void SetFinalizeDisc(bool value);
    bool GetReplaceFile() const;
    void SetReplaceFile(bool value);
    std::string GetVolumeID() const;
    void SetVolumeID(std::string_view id);
    uint32_t GetCacheSize() const; // MiB
    void SetCacheSize(uint32_t mebibytes);
    bool GetJolietFileSystem() const;
    void SetJolietFileSystem(bool value);
    bool GetUDFBridge() const;
    void SetUDFBridge(bool value);
    std::string GetVersion() const;
    std::string GetBootImage() const;
    bool SetBootImage(std::string_view path);
    TWriteDoneEvent GetOnWriteDone() const;
    void SetOnWriteDone(TWriteDoneEvent handler);
    TEraseDoneEvent GetOnEraseDone() const;
    void SetOnEraseDone(TEraseDoneEvent handler);
    // How OnWriteDone reaches the user-interface thread (the program posts it there).
    void SetSynchronizer(TSynchronizer synchronizer);

    // File tree
    void ClearAll();
    TDirEntry* FindDirW(std::u16string_view path);
    TDirEntry* CreateDir(std::string_view parentPath, std::string_view name);
    TDirEntry* CreateDirW(std::u16string_view parentPath, std::u16string_view name);
    TFileEntry* InsertFile(std::string_view destPath, std::string_view sourceFile);
    TFileEntry* InsertFileW(std::u16string_view destPath, std::u16string_view sourceFile);
    TFileEntry* InsertFileWithName(std::string_view destPath, std::string_view sourceFile,
                                   std::string_view longName, std::string_view shortName);
    TFileEntry* InsertFileWithNameW(std::u16string_view destPath, std::u16string_view sourceFile,
                                    std::u16string_view longName, std::u16string_view shortName);
    TFileEntry* InsertMemoryFile(std::string_view destPath, const TFindData& findData,
                                 TMemoryFileReader reader);
    TFileEntry* InsertMemoryFileW(std::u16string_view destPath, const TFindData& findData,
                                  TMemoryFileReader reader);
    TDirEntry* InsertDir(std::string_view destPath, std::string_view sourceFolder,
                         std::string_view fileMask, bool recursive, bool keepSourcePath);
    TDirEntry* InsertDirW(std::u16string_view destPath, std::u16string_view sourceFolder,
                          std::u16string_view fileMask, bool recursive, bool keepSourcePath);
    uint32_t GetFileCount() const;
    uint32_t GetDirCount() const;

    // Image
    uint32_t Prepare();
    bool BuildISOImage(const std::string& imageFile);
    void AbortBurn();
    uint64_t GetCachePosition() const;
    uint32_t GetImageSize() const;
    uint32_t GetBlocksWritten() const;
    bool IsBusy() const;
    // Blocks until the threads of the last build have ended; not from inside OnWriteDone.
    void WaitForSession();

    // Errors and state
    uint32_t GetErrorNumber();
    std::string GetErrorString(uint32_t code);
    std::u16string GetErrorStringW(uint32_t code);
    uint16_t GetComponentStatus() const;
    std::u16string GetVolumeIDW() const;
    void SetVolumeIDW(std::u16string_view id);

    TCDFiles& Files() { return *files_; }
    TSCSIDevice& Device() { return *device_; }

  private:
    std::unique_ptr<TCDFiles> files_;
    std::unique_ptr<TSCSIDevice> device_;
    TEraseDoneEvent onEraseDone_;
};

} // namespace dw
