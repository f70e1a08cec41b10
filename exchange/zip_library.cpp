#include "exchange/zip_library.h"

#include "exchange/zip_archive.h"

#include <dlfcn.h>

namespace exchange {

namespace {

// Empty when loaded, else why not.
QString Load(ZipLibrary& lib) {
    // Never unloaded: the functions stay valid for the rest of the run.
    void* handle = ::dlopen(QUIVERA_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!handle) return QString::fromLocal8Bit(::dlerror());
#define QUIVERA_ZIP_RESOLVE(name)                                                                  \
    lib.name = reinterpret_cast<decltype(lib.name)>(::dlsym(handle, #name));                       \
    if (!lib.name) return QStringLiteral(#name) + QStringLiteral(" is missing");
    QUIVERA_ZIP_FUNCTIONS(QUIVERA_ZIP_RESOLVE)
#undef QUIVERA_ZIP_RESOLVE
    return QString();
}

} // namespace

const ZipLibrary& Zip() {
    static ZipLibrary lib;
    static const QString why = Load(lib);
    if (!why.isEmpty())
        throw ZipError(QStringLiteral("ZIP archives need the library %1, which could not be "
                                      "loaded: %2.")
                           .arg(QStringLiteral(QUIVERA_LIBZIP_SONAME), why)
                           .toStdString());
    return lib;
}

} // namespace exchange
