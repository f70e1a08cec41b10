#pragma once

// libiscsi, loaded the first time a drive shared over the network is opened. Linked in, it and
// the libraries it needs (RDMA, netlink) cost every start of the program a few milliseconds, and
// most runs never open such a drive.
#include <iscsi/iscsi.h>
#include <iscsi/scsi-lowlevel.h>

namespace dw {

#define DW_ISCSI_FUNCTIONS(F)                                                                      \
    F(iscsi_create_context)                                                                        \
    F(iscsi_destroy_context)                                                                       \
    F(iscsi_parse_full_url)                                                                        \
    F(iscsi_destroy_url)                                                                           \
    F(iscsi_set_targetname)                                                                        \
    F(iscsi_set_session_type)                                                                      \
    F(iscsi_set_header_digest)                                                                     \
    F(iscsi_set_timeout)                                                                           \
    F(iscsi_full_connect_sync)                                                                     \
    F(iscsi_scsi_command_sync)                                                                     \
    F(iscsi_is_logged_in)                                                                          \
    F(iscsi_logout_sync)                                                                           \
    F(iscsi_disconnect)                                                                            \
    F(scsi_create_task)                                                                            \
    F(scsi_task_add_data_in_buffer)                                                                \
    F(scsi_free_scsi_task)

// The functions the iSCSI transport uses, under their own names.
struct TIscsiLibrary {
#define DW_ISCSI_POINTER(name) decltype(&::name) name = nullptr;
    DW_ISCSI_FUNCTIONS(DW_ISCSI_POINTER)
#undef DW_ISCSI_POINTER
};

// The library, loaded on the first call (once, whichever thread asks); nullptr when it or one of
// its functions cannot be found.
const TIscsiLibrary* IscsiLibrary();

} // namespace dw
