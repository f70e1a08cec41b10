// ISO 9660 image with Joliet names: the block layout and the header of the image.
#pragma once

#include "dwtreetypes.h"

#include <string>
#include <string_view>

namespace dw {

// Lays the image out; returns its size in blocks before the rounding to 32.
uint32_t Prepare(TCDFiles& files);
// Writes everything before the boot image (or before the padding when there is none) into the
// header buffer; false when the tree is not prepared.
bool BuildHeader(TCDFiles& files);
// Blocks of the image that BuildHeader produces in memory.
uint32_t HeaderMemoryBlocks(const TCDFiles& files);

// Layout steps, in the order Prepare runs them.
void SetDirsDepth(TCDFiles& files);
// The deepest folder and the longest path of the primary tree (ECMA-119 allows 8 levels and
// 255 bytes; deeper or longer trees are still written).
void MeasurePrimaryTree(TCDFiles& files);
// Joliet and UDF names as recorded: what Joliet cannot hold mapped to '_', too long names
// shortened, unique within their folder; then each folder's records put in identifier order.
void SetRecordedNames(TCDFiles& files);
void SortPathTable(TCDFiles& files);
void CalcPathTableWidth(TCDFiles& files);
void CalcPathTableWidthJ(TCDFiles& files);
void CalcFileDirDescriptorWidth(TCDFiles& files);
void CalcFileDirDescriptorWidthJ(TCDFiles& files);
void SetFileExtents(TCDFiles& files);

// Characters of an entry's Joliet identifier as recorded (set by Prepare).
size_t JolietIdLength(const TFileEntry& e);
size_t JolietDirNameLength(const TDirEntry& d);

void SetVolumeID(TCDFiles& files, std::string_view id);
void SetVolumeIDW(TCDFiles& files, std::u16string_view id);
std::string GetVolumeID(const TCDFiles& files);
std::u16string GetVolumeIDW(const TCDFiles& files);
uint32_t GetImageSize(const TCDFiles& files);
uint32_t GetBlocksWritten(const TCDFiles& files);
bool GetJolietFS(const TCDFiles& files);
void SetJolietFS(TCDFiles& files, bool value);
bool GetUDFBridge(const TCDFiles& files);
void SetUDFBridge(TCDFiles& files, bool value);
bool GetPostGap(const TCDFiles& files);
void SetPostGap(TCDFiles& files, bool value);

} // namespace dw
