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

    // Drives: discovery and selection. A drive's letter is its device name (sr0); a drive
    // reached over iSCSI is named by its iscsi://HOST:PORT/TARGET/LUN URL.
    bool InitializeASPI(std::string_view path = {});
    int GetDeviceCount() const;
    std::string GetDeviceName(int index) const;
    bool SelectDevice(int index);
    bool SelectDeviceByLetter(std::string_view letter);
    int GetSelectedDevice() const;
    std::string GetDeviceLetter() const;
    // Adds the drive named by "sr0", "/dev/sr0" or an iscsi:// URL to the table; its index or -1.
    int AddDevice(std::string_view name);
    // Adds a drive reached through the given transport; its index or -1.
    int AddDeviceTransport(std::string_view letter, std::string_view displayName,
                           std::shared_ptr<TScsiTransport> transport);
    bool DeviceCan(int capability) const;
    bool DeviceIsBurner() const;

    // Drive and disc state
    bool TestUnitReady();
    bool LockMedium();
    bool UnlockMedium();
    bool UnlockDrive();
    bool LoadMedium(bool immediate);
    bool EjectMedium(bool immediate);
    bool Erasable();
    bool Writable();
    int DiscIs();
    int SessionsOnDisc();
    uint32_t GetFreeBlocksOnDisc();
    uint32_t GetTotalBlocksOnDisc();
    // Sense key, ASC and ASCQ of the last command.
    TSenseInfo GetLastSense() const;
    // Sense of the command that made the last burn or erase fail (zero when none did).
    TSenseInfo GetFailureSense() const;
    // The failed command by name with its sense, for messages: "WRITE(10) failed: sense 3/0C/00".
    std::string DescribeSense(const TSenseInfo& sense) const;

    // Speeds (kB/s; 0 = maximum) and the drive's buffer
    uint16_t GetDeviceMaxWriteSpeed() const;
    uint16_t GetDeviceMaxReadSpeed() const;
    uint16_t GetMaxWriteSpeed() const;
    uint16_t GetReadSpeed() const;
    uint16_t GetWriteSpeed() const;
    bool SetDeviceSpeed(uint16_t readSpeed, uint16_t writeSpeed);
    uint32_t GetDeviceBufferSize() const;
    uint32_t GetDeviceBufferPosition() const;
    bool GetPerformOPC() const;
    void SetPerformOPC(bool value);

    // Writing onto the selected drive. Burn and BurnISOImage return true when the threads run;
    // the end arrives through OnWriteDone. EraseDisc reports through OnEraseDone.
    bool Burn();
    bool BurnISOImage(const std::string& imageFile);
    bool EraseDisc(bool quick);
    // Imports the tree of a session (0 = the last) under destPath; the session number used.
    int ImportSession(int session, std::string_view destPath);
    int ImportSessionW(int session, std::u16string_view destPath);
    // Burn-proof on, drive discovery, an empty tree and an 8 MiB cache.
    bool InitializeDiscWriter();

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
};

} // namespace dw
