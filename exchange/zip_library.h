#pragma once

// libzip, loaded the first time an archive is read or written. Linked in, it and the libraries
// it needs (among them a whole cryptography library) cost every start of the program a few
// milliseconds, and most runs never touch an archive.
#include <QString>
#include <zip.h>

namespace exchange {

#define QUIVERA_ZIP_FUNCTIONS(F)                                                                   \
    F(zip_open)                                                                                    \
    F(zip_close)                                                                                   \
    F(zip_discard)                                                                                 \
    F(zip_get_num_entries)                                                                         \
    F(zip_get_name)                                                                                \
    F(zip_stat_init)                                                                               \
    F(zip_stat_index)                                                                              \
    F(zip_fopen_index)                                                                             \
    F(zip_fread)                                                                                   \
    F(zip_fclose)                                                                                  \
    F(zip_strerror)                                                                                \
    F(zip_error_init_with_code)                                                                    \
    F(zip_error_strerror)                                                                          \
    F(zip_error_fini)                                                                              \
    F(zip_source_buffer)                                                                           \
    F(zip_source_file)                                                                             \
    F(zip_source_free)                                                                             \
    F(zip_file_add)                                                                                \
    F(zip_set_file_compression)

// The functions the archive classes use, under their own names.
struct ZipLibrary {
#define QUIVERA_ZIP_POINTER(name) decltype(&::name) name = nullptr;
    QUIVERA_ZIP_FUNCTIONS(QUIVERA_ZIP_POINTER)
#undef QUIVERA_ZIP_POINTER
};

// The library, loaded on the first call (once, whichever thread asks). Throws ZipError naming
// the library when it or one of its functions cannot be found.
const ZipLibrary& Zip();

} // namespace exchange
