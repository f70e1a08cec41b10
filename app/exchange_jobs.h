#pragma once

#include <QStringList>
#include <optional>

// Export and import from the command line, without a window, on the program folder:
//   --export OUT.csv|OUT.zip [--inventory NAME] [--format homebox]
//   --import IN.csv|IN.tsv|IN.zip
namespace app {

bool NamesExchangeJob(const QStringList& arguments);
// The exit status of an export or import named on the command line; nothing for other jobs.
std::optional<int> RunExchangeJob(const QStringList& arguments);

} // namespace app
