// The commands of the `quenvale` program. Each takes the arguments after its name and returns
// the process exit status: 0 on success, 1 on a failure reported on stderr, 2 on bad usage.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv::cli {

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* summary;  // one line for `quenvale --help`
  const char* usage;    // the text of `quenvale NAME --help`
  int (*run)(const Args& args);
};

// Every command, in the order `quenvale --help` lists them.
const std::vector<Command>& allCommands();
// The usage text of the command of that name; empty for a name the table does not hold.
std::string usageOf(std::string_view command);

// Runs the command the first argument names with the arguments after it: its exit status, 2
// for no or an unknown command, 0 for --help.
int runCommand(const Args& args);

int runList(const Args& args);
int runInfo(const Args& args);
int runSqlite(const Args& args);
int runScan(const Args& args);
int runExport(const Args& args);
int runPrint(const Args& args);

}  // namespace qv::cli
