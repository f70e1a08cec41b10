#include "tests/support/program_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <stdexcept>

namespace testing_support {

void CopyTree(const QString& from, const QString& to) {
    // Hidden files too: a set-up program folder keeps its records of the shipped files in one.
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        if (!QFile::copy(source, target))
            throw std::runtime_error(("cannot copy " + source).toStdString());
        QFile(target).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                     QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
}

ProgramFolder::ProgramFolder() : previous_(QDir::currentPath()) {
    if (!dir_.isValid()) throw std::runtime_error("cannot make a temporary folder");
    CopyTree(QStringLiteral(QUIVERA_DIST_DIR), dir_.path());
    QDir::setCurrent(dir_.path());
}

ProgramFolder::~ProgramFolder() {
    QDir::setCurrent(previous_);
}

QString ProgramFolder::path() const {
    return dir_.path() + QLatin1Char('/');
}

} // namespace testing_support

#include <QApplication>

namespace testing_support {
void EnsureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "quivera-test";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    new QApplication(argc, argv);
}
} // namespace testing_support

namespace testing_support {
ChildRun RunProgramJob(const QString& executable, const QString& programFolder,
                       const QStringList& arguments) {
    QProcess p;
    p.setProgram(executable);
    p.setArguments(arguments);
    p.setWorkingDirectory(programFolder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUIVERA_HOME"), programFolder);
    p.setProcessEnvironment(env);
    p.start();
    const bool ended = p.waitForFinished(120000);
    if (!ended) p.kill();
    return {ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}
} // namespace testing_support
