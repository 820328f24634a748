// `quenvale print BACKUP_FOLDER --category NAME --out FILE [--deleted-only]`: scans the one
// category, checks every record, and writes the print page that the GUI's print window shows:
// the template "Print.html" around one block per record (Messages, Contacts, Call History,
// Notes or WhatsApp; any other category gives the template alone). With --deleted-only only the
// records marked deleted are printed. The page's script function Init offers printing and a
// print preview when a host calls it.
#include <string>

#include "app/settings.h"
#include "cli/backup_password.h"
#include "cli/backup_view.h"
#include "cli/cli_io.h"
#include "cli/commands.h"
#include "cli/output_scan.h"
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
  const std::string usage = usageOf("print");
  ArgScanner scan(args, {"--deleted-only", kPasswordStdinFlag}, {"--category", "--out"});
  if (scan.wantsHelp()) {
    writeOut(usage);
    return 0;
  }
  if (!scan.error().empty()) return reportUsage(scan.error(), usage);
  if (scan.positional().size() != 1) return reportUsage("name one backup folder", usage);
  const std::string out = scan.value("--out");
  if (out.empty()) return reportUsage("name the page file with --out FILE", usage);
  const std::string& folder = scan.positional()[0];

  const std::string languages = languageFolder();
  if (!languages.empty()) app::Settings::loadFrom(languages);

  engine::CategorySet chosen;
  std::string error;
  if (!parseCategories(scan.value("--category"), &chosen, &error)) return reportUsage(error, usage);
  if (chosen.count() != 1) return reportUsage("name one category", usage);
  int id = 0;
  while (!chosen.test(id)) ++id;
  const auto category = static_cast<engine::ItemCategory>(id);

  std::string head, tail;
  const std::string templatePath =
      platform::joinPath(output::templateFolder(templateHome()), output::kPrintTemplateName);
  int rc = output::loadPrintTemplate(templatePath, &head, &tail);
  if (rc != kOk) {
    return reportFailure(
        rc, templatePath + ": " + platform::toUtf8(app::Settings::get().message(L"MSG1104")));
  }

  OutputScan scanned;
  if (int status = scanned.run(folder, chosen, scan.has(kPasswordStdinFlag)); status != 0)
    return status;
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
  request.category = output::categoryNumber(category);
  request.deletedOnly = scan.has("--deleted-only");
  std::string body;
  output::buildPrintBody(request, sources, statistics, &body);
  rc = output::writePrintPage(out, head, body, tail);
  if (rc != kOk) return reportFailure(rc, out);
  writeOut(out + "\n");
  return 0;
}

}  // namespace qv::cli
