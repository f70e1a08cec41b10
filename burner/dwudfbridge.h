// UDF 1.50 bridge: a second file system over the same file data as the ISO 9660 tree.
#pragma once

#include "dwtreetypes.h"

#include <string_view>

namespace dw {

// CRC of ECMA-167 descriptors (CCITT polynomial 0x1021, initial value 0, MSB first).
uint16_t CalculateCRC(const uint8_t* data, size_t length);
// Fills in the 16-byte tag of a descriptor of `length` bytes (CRC over everything after the tag).
void MakeTag(uint8_t* descriptor, uint16_t identifier, uint32_t location, size_t length);
uint8_t TagChecksum(const uint8_t* tag);

// OSTA compressed Unicode: compression ID 8 when every character fits a byte, otherwise 16;
// at most `maxBytes` bytes including the ID byte. Returns the bytes written.
size_t CompressUnicode(std::u16string_view text, uint8_t* out, size_t maxBytes);
std::u16string UncompressUnicode(const uint8_t* data, size_t length);
// d-string field: compressed text with its length in the field's last byte.
void SetDString(uint8_t* field, size_t fieldLength, std::u16string_view text);
// 12-byte ECMA-167 timestamp of a UTC instant (type 1, offset 0).
void udf_time_to_stamp(uint8_t* out, int64_t utc, uint32_t fraction);

void PrepareUDFBridge_1(TCDFiles& files); // after the ISO descriptors are placed
void PrepareUDFBridge_2(TCDFiles& files); // after the padding: the file-entry area
void PrepareUDFBridge_3(TCDFiles& files); // once the image size is known
// Places the partition on the disc for the session base; run before the structures are built.
void PlaceUDFPartition(TCDFiles& files);

// Writers into the in-memory header (blocks addressed from the image start).
void BuildVRS(const TCDFiles& files, uint8_t* header);
void BuildVDSs(const TCDFiles& files, uint8_t* header);
void BuildLVIS(const TCDFiles& files, uint8_t* header);
void BuildAVDP(const TCDFiles& files, uint8_t* block, uint32_t location);
void BuildFSDS(const TCDFiles& files, uint8_t* header);

// Restarts the production of the file-entry area.
void ResetPacket(TCDFiles& files);
// Fills the next `blocks` blocks of the file-entry area (zeros past its end).
void BuildPacket(TCDFiles& files, uint8_t* buffer, uint32_t blocks);

} // namespace dw
