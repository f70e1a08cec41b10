#include "burner/iscsi_library.h"

#include <dlfcn.h>

namespace dw {

namespace {

bool Load(TIscsiLibrary& lib) {
    // Never unloaded: the functions stay valid for the rest of the run.
    void* handle = ::dlopen(QUIVERA_LIBISCSI_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!handle) return false;
    bool whole = true;
#define DW_ISCSI_RESOLVE(name)                                                                     \
    lib.name = reinterpret_cast<decltype(lib.name)>(::dlsym(handle, #name));                       \
    whole = whole && lib.name != nullptr;
    DW_ISCSI_FUNCTIONS(DW_ISCSI_RESOLVE)
#undef DW_ISCSI_RESOLVE
    return whole;
}

} // namespace

const TIscsiLibrary* IscsiLibrary() {
    static TIscsiLibrary lib;
    static const bool loaded = Load(lib);
    return loaded ? &lib : nullptr;
}

} // namespace dw
