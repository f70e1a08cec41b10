// The command layer: finds optical drives, selects one and sends it multimedia commands.
// No locks of its own: one command at a time per device record. Never throws.
#pragma once

#include "burner/dwdevicetypes.h"

#include <ctime>
#include <string>
#include <string_view>

namespace dw {

// Discovery and selection
// Makes the record ready for drives: the table of command names its messages use.
void OpenDevice(TSCSIDevice& d);
bool InitializeASPI(TSCSIDevice& d, std::string_view path);
int GetDeviceCount(const TSCSIDevice& d);
std::string GetDeviceName(const TSCSIDevice& d, int index);
bool SelectDevice(TSCSIDevice& d, int index);
bool SelectDeviceByLetter(TSCSIDevice& d, std::string_view letter);
int GetSelectedDevice(const TSCSIDevice& d);
std::string GetDeviceLetter(const TSCSIDevice& d);
int AddDevice(TSCSIDevice& d, std::string_view name);
int AddDeviceTransport(TSCSIDevice& d, std::string_view letter, std::string_view displayName,
                       std::shared_ptr<TScsiTransport> transport);

// Transport
uint8_t ExecSCSICommand(TSCSIDevice& d, TSRB_ExecSCSICmd& request);
uint8_t SPTISendASPI32Command(TSCSIDevice& d, TSRB_ExecSCSICmd& request, bool retry);
TSenseInfo GetLastSense(const TSCSIDevice& d);
// The name of an operation code ("WRITE(10)"), or "command 0xNN" for one without a name.
std::string CommandName(const TSCSIDevice& d, uint8_t opcode);
// What a failed command answered, for messages: "WRITE(10) failed: sense 3/0C/00".
std::string DescribeSense(const TSCSIDevice& d, const TSenseInfo& sense);

// Drive state
bool TestUnitReady(TSCSIDevice& d);
bool Inquiry(TSCSIDevice& d);
bool RequestSense(TSCSIDevice& d);
bool LockMedium(TSCSIDevice& d);
bool UnlockMedium(TSCSIDevice& d);
bool UnlockDrive(TSCSIDevice& d);
bool LoadMedium(TSCSIDevice& d, bool immediate);
bool EjectMedium(TSCSIDevice& d, bool immediate);
bool Rewind(TSCSIDevice& d);
bool FlushCache(TSCSIDevice& d, bool flag = false);

// Media
int DiscIs(TSCSIDevice& d);
int SessionsOnDisc(TSCSIDevice& d);
int TracksOnDisc(TSCSIDevice& d);
bool Erasable(TSCSIDevice& d);
bool Writable(TSCSIDevice& d);
uint32_t GetFreeBlocksOnDisc(TSCSIDevice& d);
uint32_t GetTotalBlocksOnDisc(TSCSIDevice& d);
uint32_t GetFormatCapacity(TSCSIDevice& d);
uint32_t GetLastRecordedAddress(TSCSIDevice& d);
bool ReadTrackInformation(TSCSIDevice& d, uint8_t track);
bool ReadDiscInformation(TSCSIDevice& d, uint16_t length = 64);
bool ReadTOC(TSCSIDevice& d, uint8_t format, uint8_t trackOrSession, uint16_t length,
             bool msf = false);
bool GetConfiguration(TSCSIDevice& d, uint16_t startingFeature, uint16_t length,
                      bool oneFeature = true);
bool ModeSense10(TSCSIDevice& d, uint8_t page, uint16_t length, bool defaults = false);
bool ModeSelect10(TSCSIDevice& d, const uint8_t* data, uint16_t length);
bool ModeSelect(TSCSIDevice& d, const uint8_t* data, uint16_t length);

// Writing
bool SetWriteParams(TSCSIDevice& d, bool testWrite, bool burnProof, int mediaKind,
                    bool multisession);
bool SetWriteParams2(TSCSIDevice& d);
bool SetWriteParams3(TSCSIDevice& d);
bool SetCDSpeed(TSCSIDevice& d, uint16_t readSpeed, uint16_t writeSpeed);
bool SetDeviceSpeed(TSCSIDevice& d, uint16_t readSpeed, uint16_t writeSpeed);
bool SetStreaming(TSCSIDevice& d, uint32_t startBlock, uint32_t endBlock, uint32_t readSize,
                  uint32_t readTime, uint32_t writeSize, uint32_t writeTime);
bool SetPerformance(TSCSIDevice& d, uint32_t startBlock, uint32_t endBlock);
bool Write10(TSCSIDevice& d, uint32_t block, uint16_t count, uint32_t bytes, const uint8_t* data);
bool Read10(TSCSIDevice& d, uint32_t block, uint16_t count, uint8_t* data);
bool CloseTrack(TSCSIDevice& d, bool immediate, bool session);
bool CloseDVDTrack(TSCSIDevice& d, bool immediate, uint8_t function, uint16_t number);
bool ReserveTrack(TSCSIDevice& d, uint32_t blocks);
bool SendDVDStructure(TSCSIDevice& d, uint8_t format, const uint8_t* data, uint16_t length);
bool SendDVDStructureTimeStamp(TSCSIDevice& d, std::time_t time);
bool FormatUnit(TSCSIDevice& d, uint8_t code, const uint8_t* list, uint16_t length);
bool Erase(TSCSIDevice& d, bool quick);
bool ReadBufferCapacity(TSCSIDevice& d);
uint32_t GetDeviceBufferSize(const TSCSIDevice& d);
uint32_t GetDeviceBufferPosition(const TSCSIDevice& d);

// Capabilities
bool GetDeviceCapabilities(TSCSIDevice& d);
bool DeviceIsBurner(const TSCSIDevice& d);
bool DeviceCan(const TSCSIDevice& d, int number);
bool JustLinkCapable(const TSCSIDevice& d);
uint16_t GetDeviceMaxWriteSpeed(const TSCSIDevice& d);
uint16_t GetDeviceMaxReadSpeed(const TSCSIDevice& d);
uint16_t GetMaxWriteSpeed(const TSCSIDevice& d);
uint16_t GetReadSpeed(const TSCSIDevice& d);
uint16_t GetWriteSpeed(const TSCSIDevice& d);

// Profile of GET CONFIGURATION to media kind.
int MediaKindOfProfile(uint16_t profile);
// True when the last command failed with this additional sense code (and qualifier when >= 0).
bool SenseIs(const TSCSIDevice& d, uint8_t asc, int ascq = -1);

// Transports for drives of this machine and of the network.
std::shared_ptr<TScsiTransport> OpenSgTransport(const std::string& path);
std::shared_ptr<TScsiTransport> OpenIscsiTransport(const std::string& url);

} // namespace dw
