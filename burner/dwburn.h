// Burning onto a drive, erasing and importing a session: the drive side of a session.
#pragma once

#include "burner/dwtreetypes.h"

#include <optional>
#include <string>

namespace dw {

// Starts a burn of the prepared tree onto the selected drive. True when both threads run.
bool Burn(TCDFiles& files, TSCSIDevice& device);
// Starts a burn of an image file, written from block 0.
bool BurnISOImage(TCDFiles& files, TSCSIDevice& device, const std::string& imageFile);
// Starts the erase thread; the handler stored in the device record hears of its end.
bool EraseDisc(TCDFiles& files, TSCSIDevice& device, bool quick);
// Imports the tree of a session (0 = the last) under destPath; the session number used.
int ImportSessionW(TCDFiles& files, TSCSIDevice& device, int session, std::u16string_view destPath);
bool InitializeDiscWriter(TCDFiles& files, TSCSIDevice& device);
// Text of a drive-side error code; none for the engine's own codes and device numbers.
std::optional<std::string> DeviceErrorText(uint32_t code);

} // namespace dw
