// `quenvale`: the command-line front end over the portable core.
#include <string>
#include <vector>

#include "cli/commands.h"
#include "platform/utf8_main.h"

int utf8Main(const std::vector<std::string>& args) {
  return qv::cli::runCommand(args);
}
