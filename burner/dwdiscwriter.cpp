#include "burner/dwdiscwriter.h"

#include "burner/dwburn.h"
#include "burner/dwcdburner.h"
#include "burner/dwscsilib.h"
#include "burner/dwiso9660.h"
#include "burner/dwsysutilsw.h"
#include "burner/dwtree.h"

namespace dw {

namespace {
const char* const kDefaultVolumeID = "QUIVERA";
const char* const kVersion = "Quivera disc writer 1.0";

// The component never lets an exception reach its caller: inside a catch handler, the failure
// becomes an error code (the first one stays) and the operation gives its empty result.
void NoteFailure(TCDFiles& f) noexcept {
    uint32_t code = kErrSystem;
    try {
        throw;
    } catch (const std::bad_alloc&) {
        code = kErrOutOfMemory;
    } catch (...) {
    }
    uint32_t none = kErrNone;
    f.error.compare_exchange_strong(none, code);
}

template <typename R, typename Fn> R Guard(TCDFiles& f, R failed, Fn&& fn) noexcept {
    try {
        return fn();
    } catch (...) {
        NoteFailure(f);
        return failed;
    }
}

template <typename Fn> void GuardVoid(TCDFiles& f, Fn&& fn) noexcept {
    try {
        fn();
    } catch (...) {
        NoteFailure(f);
    }
}
} // namespace

// Construction is the one place that can only fail by throwing: without its records there is no
// component to report through.
TDiscWriter::TDiscWriter()
    : files_(std::make_unique<TCDFiles>()), device_(std::make_unique<TSCSIDevice>()) {
    files_->sender = this;
    dw::OpenDevice(*device_);
    GuardVoid(*files_, [&] {
        dw::SetVolumeID(*files_, kDefaultVolumeID);
        dw::SetCacheSize(*files_, 2 * 1048576);
        // Cleared at once, so the tree is usable without an explicit ClearAll.
        dw::ClearAll(*files_);
    });
}

TDiscWriter::~TDiscWriter() {
    try {
        if (dw::IsBusy(*files_)) {
            std::lock_guard<std::mutex> g(files_->lock);
            files_->abort = 1;
            files_->onWriteDone = nullptr; // nobody is left to tell
        }
        files_->queueChanged.notify_all();
        dw::WaitForSession(*files_);
        dw::ClearAll(*files_);
    } catch (...) {
    }
}

bool TDiscWriter::GetBurnProof() const {
    return device_->burnProof;
}
void TDiscWriter::SetBurnProof(bool v) {
    device_->burnProof = v;
}
bool TDiscWriter::GetTestWrite() const {
    return device_->testWrite;
}
void TDiscWriter::SetTestWrite(bool v) {
    device_->testWrite = v;
}
bool TDiscWriter::GetFinalizeDisc() const {
    return device_->finalizeDisc;
}
void TDiscWriter::SetFinalizeDisc(bool v) {
    device_->finalizeDisc = v;
}
bool TDiscWriter::GetReplaceFile() const {
    return dw::GetReplaceFile(*files_);
}
void TDiscWriter::SetReplaceFile(bool v) {
    dw::SetReplaceFile(*files_, v);
}
std::string TDiscWriter::GetVolumeID() const {
    return Guard(*files_, std::string(), [&] { return dw::GetVolumeID(*files_); });
}
void TDiscWriter::SetVolumeID(std::string_view id) {
    if (dw::IsBusy(*files_)) return; // the threads are reading the layout
    GuardVoid(*files_, [&] { dw::SetVolumeID(*files_, id); });
}
uint32_t TDiscWriter::GetCacheSize() const {
    return dw::GetCacheSize(*files_) / 1048576;
}
void TDiscWriter::SetCacheSize(uint32_t mib) {
    dw::SetCacheSize(*files_, mib > 4095 ? 0xFFF00000u : mib * 1048576u);
}
bool TDiscWriter::GetJolietFileSystem() const {
    return dw::GetJolietFS(*files_);
}
void TDiscWriter::SetJolietFileSystem(bool v) {
    if (dw::IsBusy(*files_)) return; // the threads are reading the layout
    dw::SetJolietFS(*files_, v);
}
bool TDiscWriter::GetUDFBridge() const {
    return dw::GetUDFBridge(*files_);
}
void TDiscWriter::SetUDFBridge(bool v) {
    if (dw::IsBusy(*files_)) return; // the threads are reading the layout
    dw::SetUDFBridge(*files_, v);
}
std::string TDiscWriter::GetVersion() const {
    return Guard(*files_, std::string(), [] { return std::string(kVersion); });
}
std::string TDiscWriter::GetBootImage() const {
    return Guard(*files_, std::string(), [&] { return dw::GetBootImage(*files_); });
}
bool TDiscWriter::SetBootImage(std::string_view path) {
    if (dw::IsBusy(*files_)) return false; // the cache thread reads the boot image
    return Guard(*files_, false, [&] { return dw::SetBootImage(*files_, path); });
}
TWriteDoneEvent TDiscWriter::GetOnWriteDone() const {
    return Guard(*files_, TWriteDoneEvent(), [&] {
        std::lock_guard<std::mutex> g(files_->lock);
        return files_->onWriteDone;
    });
}
void TDiscWriter::SetOnWriteDone(TWriteDoneEvent handler) {
    GuardVoid(*files_, [&] {
        std::lock_guard<std::mutex> g(files_->lock);
        files_->onWriteDone = std::move(handler);
    });
}
TEraseDoneEvent TDiscWriter::GetOnEraseDone() const {
    return Guard(*files_, TEraseDoneEvent(), [&] { return device_->eraseHandler; });
}
void TDiscWriter::SetOnEraseDone(TEraseDoneEvent handler) {
    if (!IsBusy()) device_->eraseHandler = std::move(handler);
}
void TDiscWriter::SetSynchronizer(TSynchronizer s) {
    GuardVoid(*files_, [&] {
        std::lock_guard<std::mutex> g(files_->lock);
        files_->synchronize = std::move(s);
    });
}

void TDiscWriter::ClearAll() {
    if (!dw::IsBusy(*files_)) GuardVoid(*files_, [&] { dw::ClearAll(*files_); });
}
TDirEntry* TDiscWriter::FindDirW(std::u16string_view path) {
    return Guard(*files_, static_cast<TDirEntry*>(nullptr),
                 [&] { return dw::FindDirW(*files_, path); });
}
TDirEntry* TDiscWriter::CreateDir(std::string_view parent, std::string_view name) {
    if (dw::IsBusy(*files_)) return nullptr; // the threads are reading the tree
    return Guard(*files_, static_cast<TDirEntry*>(nullptr),
                 [&] { return dw::CreateDir(*files_, parent, name); });
}
TDirEntry* TDiscWriter::CreateDirW(std::u16string_view parent, std::u16string_view name) {
    if (dw::IsBusy(*files_)) return nullptr; // the threads are reading the tree
    return Guard(*files_, static_cast<TDirEntry*>(nullptr),
                 [&] { return dw::CreateDirW(*files_, parent, name); });
}
TFileEntry* TDiscWriter::InsertFile(std::string_view dest, std::string_view source) {
    if (dw::IsBusy(*files_)) return nullptr; // the threads are reading the tree
    return Guard(*files_, static_cast<TFileEntry*>(nullptr),
                 [&] { return dw::InsertFile(*files_, dest, source); });
}
TFileEntry* TDiscWriter::InsertFileW(std::u16string_view dest, std::u16string_view source) {
    if (dw::IsBusy(*files_)) return nullptr; // the threads are reading the tree
    return Guard(*files_, static_cast<TFileEntry*>(nullptr),
                 [&] { return dw::InsertFileW(*files_, dest, source); });
}
TFileEntry* TDiscWriter::InsertFileWithName(std::string_view dest, std::string_view source,
                                            std::string_view longName, std::string_view shortName) {
    if (dw::IsBusy(*files_)) return nullptr; // the threads are reading the tree
    return Guard(*files_, static_cast<TFileEntry*>(nullptr), [&] {
        return dw::InsertFileWithName(*files_, dest, source, longName, shortName);
    });
}
TFileEntry* TDiscWriter::InsertFileWithNameW(std::u16string_view dest, std::u16string_view source,
                                             std::u16string_view longName,
                                             std::u16string_view shortName) {
    if (dw::IsBusy(*files_)) return nullptr; // the threads are reading the tree
    return Guard(*files_, static_cast<TFileEntry*>(nullptr), [&] {
        return dw::InsertFileWithNameW(*files_, dest, source, longName, shortName);
    });
}
TFileEntry* TDiscWriter::InsertMemoryFile(std::string_view dest, const TFindData& fd,
                                          TMemoryFileReader reader) {
    if (dw::IsBusy(*files_)) return nullptr; // the threads are reading the tree
    return Guard(*files_, static_cast<TFileEntry*>(nullptr),
                 [&] { return dw::InsertMemoryFile(*files_, dest, fd, std::move(reader)); });
}
TFileEntry* TDiscWriter::InsertMemoryFileW(std::u16string_view dest, const TFindData& fd,
                                           TMemoryFileReader reader) {
    if (dw::IsBusy(*files_)) return nullptr; // the threads are reading the tree
    return Guard(*files_, static_cast<TFileEntry*>(nullptr),
                 [&] { return dw::InsertMemoryFileW(*files_, dest, fd, std::move(reader)); });
}
TDirEntry* TDiscWriter::InsertDir(std::string_view dest, std::string_view folder,
                                  std::string_view mask, bool recursive, bool keepSourcePath) {
    if (dw::IsBusy(*files_)) return nullptr; // the threads are reading the tree
    return Guard(*files_, static_cast<TDirEntry*>(nullptr), [&] {
        return dw::InsertDir(*files_, dest, folder, mask, recursive, keepSourcePath);
    });
}
TDirEntry* TDiscWriter::InsertDirW(std::u16string_view dest, std::u16string_view folder,
                                   std::u16string_view mask, bool recursive, bool keepSourcePath) {
    if (dw::IsBusy(*files_)) return nullptr; // the threads are reading the tree
    return Guard(*files_, static_cast<TDirEntry*>(nullptr), [&] {
        return dw::InsertDirW(*files_, dest, folder, mask, recursive, keepSourcePath);
    });
}
uint32_t TDiscWriter::GetFileCount() const {
    return dw::GetFileCount(*files_);
}
uint32_t TDiscWriter::GetDirCount() const {
    return dw::GetDirCount(*files_);
}

uint32_t TDiscWriter::Prepare() {
    if (dw::IsBusy(*files_)) return 0;
    try {
        return dw::Prepare(*files_);
    } catch (...) {
        NoteFailure(*files_);
        files_->prepared = false;
        files_->status = kStatusIdle;
        return 0;
    }
}
bool TDiscWriter::BuildISOImage(const std::string& file) {
    return Guard(*files_, false, [&] { return dw::BuildISOImage(*files_, file); });
}
void TDiscWriter::AbortBurn() {
    dw::AbortBurn(*files_);
}
uint64_t TDiscWriter::GetCachePosition() const {
    return dw::GetCachePosition(*files_);
}
uint32_t TDiscWriter::GetImageSize() const {
    return dw::GetImageSize(*files_);
}
uint32_t TDiscWriter::GetBlocksWritten() const {
    return dw::GetBlocksWritten(*files_);
}
bool TDiscWriter::IsBusy() const {
    return dw::IsBusy(*files_);
}
void TDiscWriter::WaitForSession() {
    while (dw::IsBusy(*files_))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    GuardVoid(*files_, [&] { dw::WaitForSession(*files_); });
}

uint32_t TDiscWriter::GetErrorNumber() {
    return dw::GetErrorNumber(*files_, *device_);
}
std::string TDiscWriter::GetErrorString(uint32_t code) {
    return Guard(*files_, std::string(), [&] {
        if (auto text = DeviceErrorText(code)) return *text;
        return dw::GetErrorString(*files_, code);
    });
}
std::u16string TDiscWriter::GetErrorStringW(uint32_t code) {
    return Guard(*files_, std::u16string(), [&] {
        if (auto text = DeviceErrorText(code)) return Utf8ToUtf16(*text);
        return dw::GetErrorStringW(*files_, code);
    });
}
uint16_t TDiscWriter::GetComponentStatus() const {
    return dw::GetComponentStatus(*files_);
}
std::u16string TDiscWriter::GetVolumeIDW() const {
    return Guard(*files_, std::u16string(), [&] { return dw::GetVolumeIDW(*files_); });
}
void TDiscWriter::SetVolumeIDW(std::u16string_view id) {
    if (dw::IsBusy(*files_)) return; // the threads are reading the layout
    GuardVoid(*files_, [&] { dw::SetVolumeIDW(*files_, id); });
}

} // namespace dw

namespace dw {

// Drive methods: the command layer never throws; the guard keeps allocation failures out too.
#define DW_DEVICE(R, failed, expr) return Guard(*files_, R(failed), [&]() -> R { return expr; })

bool TDiscWriter::InitializeASPI(std::string_view path) {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::InitializeASPI(*device_, path));
}
int TDiscWriter::GetDeviceCount() const {
    return dw::GetDeviceCount(*device_);
}
std::string TDiscWriter::GetDeviceName(int index) const {
    return Guard(*files_, std::string(), [&] { return dw::GetDeviceName(*device_, index); });
}
bool TDiscWriter::SelectDevice(int index) {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::SelectDevice(*device_, index));
}
bool TDiscWriter::SelectDeviceByLetter(std::string_view letter) {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::SelectDeviceByLetter(*device_, letter));
}
int TDiscWriter::GetSelectedDevice() const {
    return dw::GetSelectedDevice(*device_);
}
std::string TDiscWriter::GetDeviceLetter() const {
    return Guard(*files_, std::string("?"), [&] { return dw::GetDeviceLetter(*device_); });
}
int TDiscWriter::AddDevice(std::string_view name) {
    if (IsBusy()) return -1;
    DW_DEVICE(int, -1, dw::AddDevice(*device_, name));
}
int TDiscWriter::AddDeviceTransport(std::string_view letter, std::string_view displayName,
                                    std::shared_ptr<TScsiTransport> transport) {
    if (IsBusy()) return -1;
    DW_DEVICE(int, -1, dw::AddDeviceTransport(*device_, letter, displayName, transport));
}
bool TDiscWriter::DeviceCan(int capability) const {
    return dw::DeviceCan(*device_, capability);
}
bool TDiscWriter::DeviceIsBurner() const {
    return dw::DeviceIsBurner(*device_);
}
// While a burn or an erase runs, the drive belongs to its thread.
bool TDiscWriter::TestUnitReady() {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::TestUnitReady(*device_));
}
bool TDiscWriter::LockMedium() {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::LockMedium(*device_));
}
bool TDiscWriter::UnlockMedium() {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::UnlockMedium(*device_));
}
bool TDiscWriter::UnlockDrive() {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::UnlockDrive(*device_));
}
bool TDiscWriter::LoadMedium(bool immediate) {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::LoadMedium(*device_, immediate));
}
bool TDiscWriter::EjectMedium(bool immediate) {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::EjectMedium(*device_, immediate));
}
bool TDiscWriter::Erasable() {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::Erasable(*device_));
}
bool TDiscWriter::Writable() {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::Writable(*device_));
}
int TDiscWriter::DiscIs() {
    if (IsBusy()) return device_->mediaKind;
    DW_DEVICE(int, 0, dw::DiscIs(*device_));
}
int TDiscWriter::SessionsOnDisc() {
    if (IsBusy()) return 0;
    DW_DEVICE(int, 0, dw::SessionsOnDisc(*device_));
}
uint32_t TDiscWriter::GetFreeBlocksOnDisc() {
    if (IsBusy()) return 0;
    DW_DEVICE(uint32_t, 0, dw::GetFreeBlocksOnDisc(*device_));
}
uint32_t TDiscWriter::GetTotalBlocksOnDisc() {
    if (IsBusy()) return 0;
    DW_DEVICE(uint32_t, 0, dw::GetTotalBlocksOnDisc(*device_));
}
TSenseInfo TDiscWriter::GetLastSense() const {
    return dw::GetLastSense(*device_);
}
TSenseInfo TDiscWriter::GetFailureSense() const {
    return device_->failureSense;
}
std::string TDiscWriter::DescribeSense(const TSenseInfo& sense) const {
    return Guard(*files_, std::string(), [&] { return dw::DescribeSense(*device_, sense); });
}
uint16_t TDiscWriter::GetDeviceMaxWriteSpeed() const {
    return dw::GetDeviceMaxWriteSpeed(*device_);
}
uint16_t TDiscWriter::GetDeviceMaxReadSpeed() const {
    return dw::GetDeviceMaxReadSpeed(*device_);
}
uint16_t TDiscWriter::GetMaxWriteSpeed() const {
    return dw::GetMaxWriteSpeed(*device_);
}
uint16_t TDiscWriter::GetReadSpeed() const {
    return dw::GetReadSpeed(*device_);
}
uint16_t TDiscWriter::GetWriteSpeed() const {
    return dw::GetWriteSpeed(*device_);
}
bool TDiscWriter::SetDeviceSpeed(uint16_t readSpeed, uint16_t writeSpeed) {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::SetDeviceSpeed(*device_, readSpeed, writeSpeed));
}
uint32_t TDiscWriter::GetDeviceBufferSize() const {
    return dw::GetDeviceBufferSize(*device_);
}
uint32_t TDiscWriter::GetDeviceBufferPosition() const {
    return dw::GetDeviceBufferPosition(*device_);
}
bool TDiscWriter::GetPerformOPC() const {
    return device_->performOPC;
}
void TDiscWriter::SetPerformOPC(bool v) {
    device_->performOPC = v;
}
bool TDiscWriter::Burn() {
    DW_DEVICE(bool, false, dw::Burn(*files_, *device_));
}
bool TDiscWriter::BurnISOImage(const std::string& imageFile) {
    DW_DEVICE(bool, false, dw::BurnISOImage(*files_, *device_, imageFile));
}
bool TDiscWriter::EraseDisc(bool quick) {
    DW_DEVICE(bool, false, dw::EraseDisc(*files_, *device_, quick));
}
int TDiscWriter::ImportSession(int session, std::string_view destPath) {
    return ImportSessionW(session, Utf8ToUtf16(destPath));
}
int TDiscWriter::ImportSessionW(int session, std::u16string_view destPath) {
    if (IsBusy()) return 0;
    DW_DEVICE(int, 0, dw::ImportSessionW(*files_, *device_, session, destPath));
}
bool TDiscWriter::InitializeDiscWriter() {
    if (IsBusy()) return false;
    DW_DEVICE(bool, false, dw::InitializeDiscWriter(*files_, *device_));
}

#undef DW_DEVICE

} // namespace dw
