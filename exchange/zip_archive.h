#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <list>
#include <stdexcept>

typedef struct zip zip_t;

namespace exchange {

// An archive that cannot be opened, read or written; the text names the file.
class ZipError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A ZIP archive opened for reading. Names are as the archive holds them (UTF-8, or guessed).
class ZipReader {
  public:
    explicit ZipReader(const QString& path);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // The files of the archive (folders left out), in archive order.
    const QStringList& names() const { return names_; }
    bool contains(const QString& name) const { return index_.contains(name); }
    // The whole file; a file larger than `limit` bytes, or one that does not read back as its
    // header says, throws.
    QByteArray read(const QString& name, qint64 limit) const;
    // Its first bytes only (fewer when it is shorter).
    QByteArray head(const QString& name, qint64 bytes) const;

  private:
    QByteArray readUpTo(const QString& name, qint64 limit, bool whole) const;
    QString path_;
    zip_t* zip_ = nullptr;
    QStringList names_;
    QHash<QString, quint64> index_;
};

// A ZIP archive being written. libzip writes it beside its final name and renames it there on
// close(), so an archive is either whole or not there; destroying an unclosed writer discards it.
class ZipWriter {
  public:
    explicit ZipWriter(const QString& path);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    void addData(const QString& name, const QByteArray& data);
    // A file read from disk when the archive is closed; stored as it is (photographs are
    // compressed already).
    void addFile(const QString& name, const QString& file);
    void close();

  private:
    [[noreturn]] void fail(const QString& what);
    QString path_;
    zip_t* zip_ = nullptr;
    std::list<QByteArray> buffers_; // kept until the archive is written
};

} // namespace exchange
