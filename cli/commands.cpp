// The command table of `quenvale`: each command's name, summary and usage text (written here
// once; `quenvale --help` and every command's own --help and usage errors show them), and the
// dispatch from the first argument to the command.
#include <string>
#include <vector>

#include "cli/cli_io.h"
#include "cli/commands.h"

namespace qv::cli {

const std::vector<Command>& allCommands() {
  static const std::vector<Command> commands = {
      {"list", "list the device backups under a backup root, newest first",
       "usage: quenvale list [--root DIR] [--json]\n"
       "  Lists the backups found under DIR (default: every folder where the system's\n"
       "  backup programs keep backups, newest first across them). --json prints one JSON\n"
       "  array.\n",
       runList},
      {"info", "show one backup's device information and manifest",
       "usage: quenvale info FOLDER [--json]\n"
       "  Reads FOLDER/Info.plist and the backup's manifest (Manifest.db or Manifest.mbdb).\n",
       runInfo},
      {"sqlite", "list every row image of a SQLite table: live, freelist and carved",
       "usage: quenvale sqlite FILE [TABLE] [--json] [--deleted-only] [--no-wal] [--indexes]\n"
       "  Reads FILE with the program's own page reader, together with its write-ahead log\n"
       "  FILE-wal when there is one (--no-wal reads the file alone); nothing is written.\n"
       "  Without TABLE every table of the schema is listed. --json prints JSON Lines, one\n"
       "  object per row image: \"kind\" is live, wal (a cell of a frame of the log; deleted\n"
       "  when a later commit replaced the frame), superseded (a cell of the file's page\n"
       "  that the log replaced), freelist or carved, \"frame\" the log's frame the page\n"
       "  came from (0: the file). A line per table first names its columns; \"values\"\n"
       "  are in that order (a table WITHOUT ROWID too; its rows have \"rowid\" 0, as\n"
       "  carved rows do). --deleted-only leaves out the live rows. --indexes also reads\n"
       "  each table's indexes and lists the entries of rows the table no longer has\n"
       "  (\"kind\": \"index\", with \"index\" and the row id; the key's values in the\n"
       "  table's columns, null in the others).\n",
       runSqlite},
      {"scan", "sort a backup into the fourteen categories and count each",
       "usage: quenvale scan BACKUP_FOLDER [--only CATEGORIES] [--json] [--password-stdin]\n"
       "  Opens the backup in BACKUP_FOLDER and runs the scan: media by their signatures,\n"
       "  messages, contacts, calls, notes and WhatsApp from their databases (deleted rows\n"
       "  included). --only takes category names separated by commas (as the category page\n"
       "  or the category tree shows them, any case), e.g. --only \"camera roll,messages\".\n"
       "  Prints the category tree with counts and sizes, or with --json one object:\n"
       "  {\"result\", \"backup\", \"categories\": [{\"id\", \"name\", \"items\", \"deleted\",\n"
       "  \"bytes\"}, ...]}. A progress bar goes to stderr when it is a terminal.\n"
       "  A password-protected backup's password is asked for without echo when stdin is a\n"
       "  terminal; --password-stdin reads it from the first line of stdin instead. A wrong\n"
       "  password exits with status 3.\n",
       runScan},
      {"export", "recover a backup's items into a folder: files, HTML, CSV and text",
       "usage: quenvale export BACKUP_FOLDER --out DIR [--only CATEGORIES] [--deleted-only]\n"
       "                      [--json] [--password-stdin]\n"
       "  Scans the backup (--only as for scan), checks every item, or with --deleted-only\n"
       "  only the rows marked deleted, and writes them into DIR: Camera Roll, Message,\n"
       "  Contacts, ... as files, HTML pages, CSV and text files. Prints the result list\n"
       "  (PATH<TAB>STATUS, failures first) and the count line, or with --json one object:\n"
       "  {\"result\", \"processed\", \"failed\", \"total\", \"rows\": [{\"path\", \"status\"}]}.\n"
       "  A progress bar goes to stderr when it is a terminal; Ctrl-C cancels. Passwords as\n"
       "  for scan.\n",
       runExport},
      {"print", "write the print page of one category's records",
       "usage: quenvale print BACKUP_FOLDER --category NAME --out FILE [--deleted-only]\n"
       "                     [--password-stdin]\n"
       "  Scans the one category (Messages, Contacts, Call History, Notes or WhatsApp) and\n"
       "  writes its records as one HTML page to FILE; --deleted-only prints only the\n"
       "  records marked deleted. Open FILE in a browser to print it. Passwords as for scan.\n",
       runPrint},
  };
  return commands;
}

std::string usageOf(std::string_view command) {
  for (const Command& c : allCommands()) {
    if (command == c.name) return c.usage;
  }
  return {};
}

namespace {

void printHelp() {
  std::string text =
      "Quenvale Tarnwick: finds device backups, reads their files and databases (deleted rows\n"
      "included) and recovers what you choose.\n\nusage: quenvale COMMAND [ARGS]\n\ncommands:\n";
  for (const Command& c : allCommands()) {
    std::string name = c.name;
    name.resize(10, ' ');
    text += "  " + name + c.summary + "\n";
  }
  text += "\n'quenvale COMMAND --help' tells more about one command.\n";
  writeOut(text);
}

}  // namespace

int runCommand(const std::vector<std::string>& args) {
  if (args.empty()) {
    printHelp();
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    printHelp();
    return 0;
  }
  for (const Command& c : allCommands()) {
    if (args[0] == c.name) return c.run(Args(args.begin() + 1, args.end()));
  }
  printError("unknown command '" + args[0] + "' (see 'quenvale --help')");
  return 2;
}

}  // namespace qv::cli
