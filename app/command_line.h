#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Jobs the program runs from the command line without a window, for scheduled backups:
//   --backup FOLDER        the user database and every picture into FOLDER/QIVBackup
//   --backup-disc DEVICE   the same onto a disc in DEVICE
//   --restore FOLDER       a backup folder (FOLDER or FOLDER/QIVBackup) over the program folder
//   --report-pdf OUT.pdf [--inventory NAME] [--no-photos]
//                          the insurance report of the working inventory or a saved one
// Progress goes to standard error; the exit status is 0 only for a whole, verified job.
namespace dw {
class TDiscWriter;
}

namespace app {

// --help or --version anywhere on the command line: the text printed on standard output and
// the exit status; nothing when the arguments name neither.
std::optional<int> RunInformationOption(const QStringList& arguments);
QString HelpText();
QString VersionText();

bool NamesCommandLineJob(const QStringList& arguments);
// Whether the job draws (the report): it needs fonts and a paint engine, though no screen.
bool CommandLineJobDraws(const QStringList& arguments);
// The exit status of a job named on the command line; nothing when the arguments name none.
// A disc backup writes through `writer` when one is given: a drive it already knows by the name
// on the command line is used as it is, any other is looked for on this system.
std::optional<int> RunCommandLineJob(const QStringList& arguments,
                                     dw::TDiscWriter* writer = nullptr);

} // namespace app
