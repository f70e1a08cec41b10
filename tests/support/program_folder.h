#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testing_support {

// A temporary program folder holding fresh copies of the shipped files. The process's current
// directory is switched to it for the lifetime of the object, as the program expects.
class ProgramFolder {
  public:
    ProgramFolder();
    ~ProgramFolder();
    // The folder with one trailing '/'.
    QString path() const;
    QString file(const QString& name) const { return path() + name; }

  private:
    QTemporaryDir dir_;
    QString previous_;
};

// Copies a folder tree (the shipped files, or a program folder) into another folder.
void CopyTree(const QString& from, const QString& to);

} // namespace testing_support

namespace testing_support {
// One QApplication for the whole test program (headless through QT_QPA_PLATFORM=offscreen).
void EnsureApplication();
} // namespace testing_support

namespace testing_support {
// What a run of the program as a child process ended with.
struct ChildRun {
    int status = -1; // -1 when it crashed or did not end within two minutes
    QString errors;  // its standard error
};
// Runs the program (its executable given) with these arguments on the given program folder, as a
// scheduled job would: started there, with the folder named as its home.
ChildRun RunProgramJob(const QString& executable, const QString& programFolder,
                       const QStringList& arguments);
} // namespace testing_support
