#include "exchange/zip_archive.h"

#include "exchange/zip_library.h"

#include <QFile>

namespace exchange {

namespace {

QString OpenErrorText(int code) {
    zip_error_t error;
    Zip().zip_error_init_with_code(&error, code);
    const QString text = QString::fromLocal8Bit(Zip().zip_error_strerror(&error));
    Zip().zip_error_fini(&error);
    return text;
}

} // namespace

ZipReader::ZipReader(const QString& path) : path_(path) {
    int code = 0;
    zip_ = Zip().zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!zip_)
        throw ZipError(QStringLiteral("%1 cannot be read as a ZIP archive (%2).")
                           .arg(path, OpenErrorText(code))
                           .toStdString());
    const zip_int64_t count = Zip().zip_get_num_entries(zip_, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* raw = Zip().zip_get_name(zip_, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (!raw) continue;
        const QString name = QString::fromUtf8(raw);
        if (name.endsWith(QLatin1Char('/')) || index_.contains(name)) continue;
        index_.insert(name, static_cast<quint64>(i));
        names_ << name;
    }
}

ZipReader::~ZipReader() {
    if (zip_) Zip().zip_discard(zip_);
}

QByteArray ZipReader::read(const QString& name, qint64 limit) const {
    return readUpTo(name, limit, true);
}

QByteArray ZipReader::head(const QString& name, qint64 bytes) const {
    return readUpTo(name, bytes, false);
}

QByteArray ZipReader::readUpTo(const QString& name, qint64 limit, bool whole) const {
    const auto found = index_.constFind(name);
    if (found == index_.constEnd())
        throw ZipError(QStringLiteral("%1 holds no file %2.").arg(path_, name).toStdString());
    zip_stat_t st;
    Zip().zip_stat_init(&st);
    if (Zip().zip_stat_index(zip_, *found, 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        throw ZipError(
            QStringLiteral("%1: the file %2 cannot be read.").arg(path_, name).toStdString());
    if (whole && st.size > static_cast<zip_uint64_t>(limit))
        throw ZipError(QStringLiteral("%1: the file %2 is too large (%3 bytes).")
                           .arg(path_, name)
                           .arg(st.size)
                           .toStdString());
    const qint64 wanted = std::min<qint64>(static_cast<qint64>(st.size), limit);
    zip_file_t* file = Zip().zip_fopen_index(zip_, *found, 0);
    if (!file)
        throw ZipError(QStringLiteral("%1: the file %2 cannot be read (%3).")
                           .arg(path_, name, QString::fromLocal8Bit(Zip().zip_strerror(zip_)))
                           .toStdString());
    QByteArray data(wanted, Qt::Uninitialized);
    qint64 got = 0;
    while (got < wanted) {
        const zip_int64_t n = Zip().zip_fread(file, data.data() + got, wanted - got);
        if (n <= 0) break;
        got += n;
    }
    // A whole file must end where its header says it does: no more, no less.
    char extra = 0;
    const bool longer = whole && Zip().zip_fread(file, &extra, 1) > 0;
    Zip().zip_fclose(file);
    if (got != wanted || longer)
        throw ZipError(
            QStringLiteral("%1: the file %2 is damaged.").arg(path_, name).toStdString());
    return data;
}

ZipWriter::ZipWriter(const QString& path) : path_(path) {
    int code = 0;
    zip_ = Zip().zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!zip_)
        throw ZipError(QStringLiteral("%1 cannot be written (%2).")
                           .arg(path, OpenErrorText(code))
                           .toStdString());
}

ZipWriter::~ZipWriter() {
    if (zip_) Zip().zip_discard(zip_);
}

void ZipWriter::fail(const QString& what) {
    const QString reason = QString::fromLocal8Bit(Zip().zip_strerror(zip_));
    Zip().zip_discard(zip_);
    zip_ = nullptr;
    throw ZipError(
        QStringLiteral("%1 could not be written: %2 (%3).").arg(path_, what, reason).toStdString());
}

void ZipWriter::addData(const QString& name, const QByteArray& data) {
    buffers_.push_back(data);
    const QByteArray& kept = buffers_.back();
    zip_source_t* source = Zip().zip_source_buffer(zip_, kept.constData(), kept.size(), 0);
    if (!source) fail(name);
    if (Zip().zip_file_add(zip_, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
        Zip().zip_source_free(source);
        fail(name);
    }
}

void ZipWriter::addFile(const QString& name, const QString& file) {
    zip_source_t* source = Zip().zip_source_file(zip_, QFile::encodeName(file).constData(), 0, -1);
    if (!source) fail(file);
    const zip_int64_t at =
        Zip().zip_file_add(zip_, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (at < 0) {
        Zip().zip_source_free(source);
        fail(name);
    }
    if (Zip().zip_set_file_compression(zip_, static_cast<zip_uint64_t>(at), ZIP_CM_STORE, 0) != 0)
        fail(name);
}

void ZipWriter::close() {
    if (Zip().zip_close(zip_) != 0) {
        const QString reason = QString::fromLocal8Bit(Zip().zip_strerror(zip_));
        Zip().zip_discard(zip_);
        zip_ = nullptr;
        throw ZipError(
            QStringLiteral("%1 could not be written (%2).").arg(path_, reason).toStdString());
    }
    zip_ = nullptr;
    buffers_.clear();
}

} // namespace exchange
