// Transports of the command layer: SCSI generic pass-through on this machine's drives, and
// iSCSI for a drive shared over the network.
#include "burner/dwscsilib.h"
#include "burner/iscsi_library.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace dw {

namespace {

void FixedSense(TScsiOutcome& o, uint8_t key, uint8_t asc, uint8_t ascq) {
    std::memset(o.sense, 0, sizeof o.sense);
    o.sense[0] = 0x70;
    o.sense[2] = key & 0x0F;
    o.sense[7] = 10;
    o.sense[12] = asc;
    o.sense[13] = ascq;
    o.senseLength = 18;
}

// Descriptor-format sense is turned into the fixed format the layer reads.
void NormaliseSense(TScsiOutcome& o) {
    uint8_t code = o.sense[0] & 0x7F;
    if (code == 0x72 || code == 0x73) FixedSense(o, o.sense[1], o.sense[2], o.sense[3]);
}

class TSgTransport : public TScsiTransport {
  public:
    explicit TSgTransport(std::string path) : path_(std::move(path)) {}
    ~TSgTransport() override { Close(); }

    bool Open() {
        if (fd_ >= 0) return true;
        fd_ = ::open(path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) fd_ = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        return fd_ >= 0;
    }

    bool Execute(const TScsiCommand& c, TScsiOutcome& o) override {
        o = TScsiOutcome{};
        if (!Open()) return false;
        sg_io_hdr_t io{};
        uint8_t cdb[16];
        std::memcpy(cdb, c.cdb, sizeof cdb);
        io.interface_id = 'S';
        io.cmd_len = c.cdbLength;
        io.cmdp = cdb;
        io.dxfer_direction = c.direction == TDataDirection::In    ? SG_DXFER_FROM_DEV
                             : c.direction == TDataDirection::Out ? SG_DXFER_TO_DEV
                                                                  : SG_DXFER_NONE;
        io.dxferp = c.length ? c.data : nullptr;
        io.dxfer_len = c.data ? c.length : 0;
        io.mx_sb_len = sizeof o.sense;
        io.sbp = o.sense;
        io.timeout = c.timeoutSeconds * 1000u;
        int r;
        do {
            r = ::ioctl(fd_, SG_IO, &io);
        } while (r < 0 && errno == EINTR);
        if (r < 0) return false;
        o.delivered = true;
        o.senseLength = io.sb_len_wr;
        o.targetStatus = io.status;
        if (o.targetStatus == 0 && io.sb_len_wr > 0 && (o.sense[2] & 0x0F) != 0)
            o.targetStatus = 2; // the driver reported sense without a status
        if (o.targetStatus == 0 && (io.host_status != 0 || (io.driver_status & 0x0F) != 0))
            return false;
        NormaliseSense(o);
        o.mediumChanged = (o.sense[2] & 0x0F) == 6 && o.sense[12] == 0x28;
        return true;
    }

    void Close() override {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    std::string path_;
    int fd_ = -1;
};

class TIscsiTransport : public TScsiTransport {
  public:
    explicit TIscsiTransport(std::string url) : url_(std::move(url)), lib_(IscsiLibrary()) {}
    ~TIscsiTransport() override { Close(); }

    bool Connect() {
        if (iscsi_) return true;
        if (!lib_) return false; // no libiscsi on this machine
        iscsi_ = lib_->iscsi_create_context("iqn.2024-01.org.quivera:burner");
        if (!iscsi_) return false;
        iscsi_url* u = lib_->iscsi_parse_full_url(iscsi_, url_.c_str());
        if (!u) {
            Close();
            return false;
        }
        lib_->iscsi_set_targetname(iscsi_, u->target);
        lib_->iscsi_set_session_type(iscsi_, ISCSI_SESSION_NORMAL);
        lib_->iscsi_set_header_digest(iscsi_, ISCSI_HEADER_DIGEST_NONE_CRC32C);
        lun_ = u->lun;
        int r = lib_->iscsi_full_connect_sync(iscsi_, u->portal, u->lun);
        lib_->iscsi_destroy_url(u);
        if (r != 0) {
            Close();
            return false;
        }
        return true;
    }

    bool Execute(const TScsiCommand& c, TScsiOutcome& o) override {
        o = TScsiOutcome{};
        if (!Connect()) return false;
        uint8_t cdb[16];
        std::memcpy(cdb, c.cdb, sizeof cdb);
        int dir = c.direction == TDataDirection::In    ? SCSI_XFER_READ
                  : c.direction == TDataDirection::Out ? SCSI_XFER_WRITE
                                                       : SCSI_XFER_NONE;
        // A target that stops answering ends the command after its time-out, not never.
        lib_->iscsi_set_timeout(iscsi_, int(c.timeoutSeconds));
        scsi_task* task = lib_->scsi_create_task(c.cdbLength, cdb, dir, int(c.length));
        if (!task) return false;
        iscsi_data out{};
        if (dir == SCSI_XFER_WRITE) {
            out.size = c.length;
            out.data = c.data;
        } else if (dir == SCSI_XFER_READ && c.length > 0) {
            lib_->scsi_task_add_data_in_buffer(task, int(c.length), c.data);
        }
        scsi_task* done = lib_->iscsi_scsi_command_sync(iscsi_, lun_, task,
                                                        dir == SCSI_XFER_WRITE ? &out : nullptr);
        if (!done) {
            lib_->scsi_free_scsi_task(task);
            Close(); // the session is broken: the next command connects again
            return false;
        }
        o.delivered = true;
        o.targetStatus = uint8_t(task->status == SCSI_STATUS_CANCELLED ? 0xFF : task->status);
        if (task->status == SCSI_STATUS_CHECK_CONDITION)
            FixedSense(o, uint8_t(task->sense.key), uint8_t(task->sense.ascq >> 8),
                       uint8_t(task->sense.ascq & 0xFF));
        else if (task->status != SCSI_STATUS_GOOD && task->status != SCSI_STATUS_BUSY)
            o.delivered = false;
        o.mediumChanged = (o.sense[2] & 0x0F) == 6 && o.sense[12] == 0x28;
        lib_->scsi_free_scsi_task(task);
        return o.delivered;
    }

    void Close() override {
        if (!iscsi_) return;
        if (lib_->iscsi_is_logged_in(iscsi_)) lib_->iscsi_logout_sync(iscsi_);
        lib_->iscsi_disconnect(iscsi_);
        lib_->iscsi_destroy_context(iscsi_);
        iscsi_ = nullptr;
    }

  private:
    std::string url_;
    const TIscsiLibrary* lib_;
    iscsi_context* iscsi_ = nullptr;
    int lun_ = 0;
};

} // namespace

std::shared_ptr<TScsiTransport> OpenSgTransport(const std::string& path) {
    try {
        auto t = std::make_shared<TSgTransport>(path);
        if (!t->Open()) return nullptr;
        return t;
    } catch (...) {
        return nullptr;
    }
}

std::shared_ptr<TScsiTransport> OpenIscsiTransport(const std::string& url) {
    try {
        auto t = std::make_shared<TIscsiTransport>(url);
        if (!t->Connect()) return nullptr;
        return t;
    } catch (...) {
        return nullptr;
    }
}

} // namespace dw
