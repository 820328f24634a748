// `quenvale print`: scans the one category, checks every record, and writes the print page that
// the GUI's print window shows: the template "Print.html" around one block per record (Messages,
// Contacts, Call History, Notes or WhatsApp; any other category gives the template alone). With
// --deleted-only only the records marked deleted are printed. The page's script function Init
// offers printing and a print preview when a host calls it.
#include <string>

#include "app/settings.h"
#include "cli/app_folder.h"
#include "cli/backup_password.h"
#include "cli/backup_scan.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/scan_view.h"
#include "engine/items.h"
#include "export/doc_template.h"
#include "export/print_page.h"
#include "export/selection.h"
#include "export/statistics.h"
#include "platform/error_text.h"
#include "platform/folders.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::cli {

int runPrint(const Args& args) {
  CommandLine command("print", args, {"--deleted-only", kPasswordStdinFlag},
                      {"--category", "--out"});
  if (auto status = command.finishedEarly()) return *status;
  if (command.positional().size() != 1) return command.usageError("name one backup folder");
  const std::string out = command.value("--out");
  if (out.empty()) return command.usageError("name the page file with --out FILE");
  const std::string& folder = command.positional()[0];

  loadLanguages();
  engine::CategorySet chosen;
  if (auto status = chooseCategories(command, "--category", false, &chosen)) return *status;
  if (chosen.count() != 1) return command.usageError("name one category");
  int id = 0;
  while (!chosen.test(static_cast<std::size_t>(id))) ++id;
  const auto category = static_cast<engine::ItemCategory>(id);

  std::string head, tail;
  const std::string templatePath =
      platform::joinPath(output::templateFolder(templateHome()), output::kPrintTemplateName);
  int rc = output::loadPrintTemplate(templatePath, &head, &tail);
  if (rc != kOk) {
    return reportFailure(
        rc, templatePath + ": " + platform::toUtf8(app::Settings::get().message(L"MSG1104")));
  }

  BackupScan scanned("Scanning: ");
  if (int status = scanned.run(folder, chosen, command.has(kPasswordStdinFlag)); status != 0)
    return status;
  if (int status = scanned.reportOutcome("", "nothing was written"); status != 0) return status;
  output::CStatisticsObj statistics;
  output::registerCategory(statistics, scanned.results(), category);

  const engine::ScanResults& r = scanned.results();
  output::PrintSources sources;
  sources.messageRows = &r.messageRows;
  sources.conversations = &r.conversations;
  sources.contacts = &r.contacts;
  sources.calls = &r.calls;
  sources.notes = &r.notes;
  sources.chatRows = &r.chatRows;
  sources.chats = &r.whatsappChats;
  output::PrintRequest request;
  request.category = engine::categoryNumber(category);
  request.deletedOnly = command.has("--deleted-only");
  std::string body;
  output::buildPrintBody(request, sources, statistics, &body);
  rc = output::writePrintPage(out, head, body, tail);
  if (rc != kOk) return reportFailure(rc, out);
  writeOut(out + "\n");
  return 0;
}

}  // namespace qv::cli
