#include "devtools/db_writer_window.h"

TQIVDBWriter::TQIVDBWriter(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("QIVDBWriter"));
    setWindowTitle(QStringLiteral("QIV Database Writer"));
}
