#pragma once

#include <QString>
#include <QStringList>

namespace testing_support {

// Runs a command-line reader (pdftotext, pdfinfo, pdfimages, ...) and gives its standard output;
// a failure to run or a non-zero exit is a test failure and gives an empty text.
QString RunTool(const QString& program, const QStringList& args);

// The text of a PDF (or of one page of it, counted from 1), one string per non-empty line, its
// blanks simplified: the extraction guesses the spacing between words, so only words compare.
QStringList PdfLines(const QString& file, int page = 0);

} // namespace testing_support
