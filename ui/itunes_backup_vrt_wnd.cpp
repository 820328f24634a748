#include "ui/itunes_backup_vrt_wnd.h"

#include "app/message_box.h"
#include "backup/backup_size.h"
#include "backup/discovery.h"
#include "framework/ui_thread.h"
#include "platform/text.h"
#include "ui/scan_vrt_wnd.h"

namespace qv::ui {

using framework::EventType;
using framework::Notification;

namespace {

// One row of the list: the columns as the header lays them out (name with its icon, date,
// version, size, serial number), 40 high.
framework::ControlPtr makeRow(const BackupRow& r) {
  auto row = std::make_unique<framework::ListContainerElement>();
  row->setAttribute("height", L"40");
  auto label = [&](const wchar_t* name, const std::wstring& text, const wchar_t* width) {
    auto l = std::make_unique<framework::Label>();
    l->setName(name);
    l->setText(text);
    if (width) l->setAttribute("width", width);
    l->setAttribute("textpadding", L"8,0,8,0");
    l->setAttribute("endellipsis", L"true");
    return l;
  };
  auto icon = std::make_unique<framework::Control>();
  icon->setName(L"BackupIcon");
  // 8 + 48 for the icon and 164 for the name: the header's 220, so the columns line up.
  icon->setAttribute("width", L"48");
  icon->setAttribute("padding", L"8,7,0,7");
  icon->setBkImage(r.icon);
  row->add(std::move(icon));
  row->add(label(L"BackupName", r.name, L"164"));
  row->add(label(L"BackupDate", r.date, L"270"));
  row->add(label(L"BackupVersion", r.version, L"96"));
  row->add(label(L"BackupSize", r.size, L"112"));
  row->add(label(L"BackupSerial", r.serial, nullptr));
  return row;
}

}  // namespace

CItunesBackupVrtWnd::CItunesBackupVrtWnd(framework::HostWindow& window,
                                         engine::RecoveryEngine& engine, CScanVrtWnd& scan,
                                         StepNavigator& steps)
    : CBaseVrtWnd(window),
      engine_(engine),
      scan_(scan),
      steps_(steps),
      picker_(&pickFolder),
      rows_(&shortDateTime),
      self_(std::make_shared<CItunesBackupVrtWnd*>(this)) {
  on(EventType::kClick, L"BtnNext1", [this](const Notification&) { onNext(); });
  on(EventType::kClick, L"BtnSelDir", [this](const Notification&) { onSelectFolder(); });
  on(EventType::kClick, L"BtnRefresh", [this](const Notification&) { refresh(); });
}

CItunesBackupVrtWnd::~CItunesBackupVrtWnd() {
  stopMeasuring();
  *self_ = nullptr;
}

void CItunesBackupVrtWnd::init() {
  applySection(L"PageItunesBackup");
  std::vector<backup::BackupInfo> backups;
  engine_.listBackups(&backups);
  list_ = findAs<framework::List>(L"BackupFileList");
  if (!find(L"BtnSelDir") || !list_ || !find(L"BtnNext1")) return;
  showRows(rows_.setBackups(std::move(backups), -1));
}

void CItunesBackupVrtWnd::languageRefresh() {
  applySection(L"PageItunesBackup");
}

void CItunesBackupVrtWnd::refresh() {
  if (!list_) return;
  std::vector<std::string> entries;
  backup::enumerateRoots(engine_.backupRoots(), &entries);
  std::vector<backup::BackupInfo> backups;
  backup::listBackups(entries, &backups);
  const int selected = static_cast<int>(list_->selectedIndex());
  showRows(rows_.setBackups(std::move(backups), selected));
}

void CItunesBackupVrtWnd::showRows(int select) {
  stopMeasuring();
  list_->removeAllElements();
  for (std::size_t i = 0; i < rows_.size(); ++i) list_->addElement(makeRow(rows_.row(i)));
  list_->selectItem(select, false);
  if (select >= 0) list_->ensureVisible(select);
  measureSizes();
}

void CItunesBackupVrtWnd::stopMeasuring() {
  if (!sizer_.joinable()) return;
  sizerStop_.store(1);
  sizer_.join();
}

void CItunesBackupVrtWnd::measureSizes() {
  std::vector<std::wstring> folders;
  for (std::size_t i = 0; i < rows_.size(); ++i) folders.push_back(rows_.backup(i).folder);
  sizerStop_.store(0);
  sizesDone_ = folders.empty();
  if (folders.empty()) return;
  std::weak_ptr<CItunesBackupVrtWnd*> page = self_;
  const int generation = ++generation_;
  sizer_ = std::thread([this, folders = std::move(folders), page, generation] {
    for (std::size_t i = 0; i < folders.size(); ++i) {
      std::uint64_t bytes = 0;
      const bool measured =
          backup::backupFolderBytes(platform::toUtf8(folders[i]), &sizerStop_, &bytes);
      if (sizerStop_.load() != 0) return;
      const bool last = i + 1 == folders.size();
      // The sizes reach the list on the UI thread; a page gone meanwhile takes nothing.
      // Sizes of a list since replaced are dropped.
      framework::postToUi([page, generation, folder = folders[i], bytes, measured, last] {
        auto p = page.lock();
        if (!p || *p == nullptr || (*p)->generation_ != generation) return;
        if (measured) (*p)->sizeMeasured(folder, bytes);
        if (last) (*p)->sizesDone_ = true;
      });
    }
  });
}

void CItunesBackupVrtWnd::sizeMeasured(const std::wstring& folder, std::uint64_t bytes) {
  const int row = rows_.setSize(folder, bytes);
  if (row < 0 || !list_ || static_cast<std::size_t>(row) >= list_->elementCount()) return;
  if (framework::Control* size =
          list_->elementAt(static_cast<std::size_t>(row))->find(L"BackupSize"))
    size->setText(rows_.row(static_cast<std::size_t>(row)).size);
}

void CItunesBackupVrtWnd::onNext() {
  if (!list_) return;
  const std::int64_t selected = list_->selectedIndex();
  if (selected < 0 || static_cast<std::size_t>(selected) >= rows_.size()) return;
  scan_.chosenBackup() = rows_.backup(static_cast<std::size_t>(selected));
  steps_.selectStep(L"OptStep2");
}

void CItunesBackupVrtWnd::onSelectFolder() {
  for (;;) {
    const std::wstring folder = picker_ ? picker_(hwnd(), kPickerCaption) : std::wstring();
    if (folder.empty()) return;
    if (engine_.readBackupFolder(&scan_.chosenBackup(), platform::toUtf8(folder)) == 0) {
      steps_.selectStep(L"OptStep2");
      return;
    }
    // Title and text are fixed, not from the language.
    app::CMessageBox box(static_cast<int>(app::MessageKind::kQuestion));
    if (!box.build(hwnd(), 550, 200)) return;
    box.setTitle(L"Question");
    box.setMessage(L"Can not found the backup file, do you want to try again?");
    if (box.run(hwnd()) != 1) return;
  }
}

}  // namespace qv::ui
