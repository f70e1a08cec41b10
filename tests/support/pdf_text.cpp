#include "tests/support/pdf_text.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace testing_support {

QString RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList PdfLines(const QString& file, int page) {
    QStringList args{"-layout", "-enc", "UTF-8"};
    if (page > 0) args << "-f" << QString::number(page) << "-l" << QString::number(page);
    args << file << "-";
    QStringList lines;
    for (QString line : RunTool("pdftotext", args).split('\n')) {
        line = line.remove('\f').simplified();
        if (!line.isEmpty()) lines << line;
    }
    return lines;
}

} // namespace testing_support
