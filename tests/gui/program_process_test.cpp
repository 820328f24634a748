// QuenvaleTarnwick.exe started as a process, as a user starts it: it registers its picture
// component for the current user, shows its window, a second copy brings the first one's window
// back and ends, closing before any scan ends the program at once and removes the preview files;
// with the single-instance mutex held but no window it says that it runs; without its picture
// component it says so and stops. $QV_PROGRAM_UNDER_TEST names another copy to test (the
// installed one); the build's copy otherwise.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/start_up_win.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "tests/gui/gui_driver.h"
#include "tests/gui/gui_environment.h"

namespace qv::gui_test {
namespace {

std::wstring programPath() {
  wchar_t buf[2048];
  DWORD n = GetEnvironmentVariableW(L"QV_PROGRAM_UNDER_TEST", buf, 2048);
  if (n > 0 && n < 2048) return std::wstring(buf, n);
  // The build's path is a Unix one; its full Windows form names the drive it is on.
  const std::wstring unix = platform::toWide(QV_PROGRAM);
  wchar_t full[2048];
  const DWORD m = GetFullPathNameW(unix.c_str(), 2048, full, nullptr);
  return m > 0 && m < 2048 ? std::wstring(full, m) : unix;
}

std::wstring folderOf(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L"\\/"));
}

// A started copy of the program.
class Running {
 public:
  explicit Running(const std::wstring& program) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring command = L"\"" + program + L"\"";
    const std::wstring dir = folderOf(program);
    ok_ = CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         dir.c_str(), &si, &pi_) != FALSE;
  }
  ~Running() {
    if (!ok_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  bool started() const { return ok_; }
  // Ended within the time; *code its exit code.
  bool endsWithin(int ms, DWORD* code) {
    if (!ok_ || !waitFor([&] { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_OBJECT_0; }, ms))
      return false;
    GetExitCodeProcess(pi_.hProcess, code);
    return true;
  }
  // Its visible top-level window whose class and title match (null: any), once it shows.
  HWND window(const wchar_t* cls, const wchar_t* title, int ms = 20000) {
    HWND found = nullptr;
    waitFor(
        [&] {
          found = findWindow(cls, title);
          return found != nullptr;
        },
        ms);
    return found;
  }
  HWND findWindow(const wchar_t* cls, const wchar_t* title) {
    struct Search {
      DWORD pid;
      const wchar_t* cls;
      const wchar_t* title;
      HWND found = nullptr;
    } s{pi_.dwProcessId, cls, title};
    EnumWindows(
        [](HWND h, LPARAM l) -> BOOL {
          auto* search = reinterpret_cast<Search*>(l);
          DWORD pid = 0;
          GetWindowThreadProcessId(h, &pid);
          if (pid != search->pid || !IsWindowVisible(h)) return TRUE;
          wchar_t buf[256] = {};
          if (search->cls) {
            GetClassNameW(h, buf, 256);
            if (lstrcmpW(buf, search->cls) != 0) return TRUE;
          }
          if (search->title) {
            GetWindowTextW(h, buf, 256);
            if (lstrcmpW(buf, search->title) != 0) return TRUE;
          }
          search->found = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
  }

 private:
  PROCESS_INFORMATION pi_{};
  bool ok_ = false;
};

bool shootWindow(HWND h, const std::string& name) {
  RECT r;
  GetWindowRect(h, &r);
  return screenshotScreen(r, name + "-" + dpiPercent(HostWindow::dpiForWindow(h)));
}

std::wstring registeredServer() {
  wchar_t value[1024] = {};
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER,
                   L"Software\\Classes\\CLSID\\{C5B3A481-21E3-4CAB-8ABD-3C6A85892AD2}\\"
                   L"InprocServer32",
                   nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return {};
  }
  return value;
}

std::string workFile(const char* name) {
  std::string appData;
  platform::appDataFolder(&appData);
  return platform::joinPath(platform::joinPath(appData, "QuenvaleTarnwick"), name);
}

// The picture component registers and unregisters itself under the current user's classes
// only, so a user without administrator rights can start the program.
TEST(PictureComponent, RegistersForTheCurrentUserOnly) {
  const std::wstring dll = folderOf(programPath()) + L"\\ImageOleCtrl.dll";
  HMODULE library = LoadLibraryW(dll.c_str());
  ASSERT_NE(library, nullptr);
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto reg = reinterpret_cast<Entry>(
      reinterpret_cast<void*>(GetProcAddress(library, "DllRegisterServer")));
  auto unreg = reinterpret_cast<Entry>(
      reinterpret_cast<void*>(GetProcAddress(library, "DllUnregisterServer")));
  ASSERT_TRUE(reg && unreg);
  EXPECT_EQ(unreg(), S_OK);
  EXPECT_EQ(registeredServer(), L"");
  EXPECT_EQ(unreg(), S_OK);  // nothing to remove: no failure
  EXPECT_EQ(reg(), S_OK);
  EXPECT_EQ(registeredServer(), dll);
  wchar_t model[64] = {};
  DWORD size = sizeof(model);
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER,
                         L"Software\\Classes\\CLSID\\{C5B3A481-21E3-4CAB-8ABD-3C6A85892AD2}\\"
                         L"InprocServer32",
                         L"ThreadingModel", RRF_RT_REG_SZ, nullptr, model, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(model, L"Apartment");
  HKEY machine = nullptr;
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                          L"Software\\Classes\\CLSID\\{C5B3A481-21E3-4CAB-8ABD-3C6A85892AD2}", 0,
                          KEY_READ, &machine),
            ERROR_SUCCESS);
  FreeLibrary(library);
}

// Start, registration, a second copy restoring the first, and a close that asks nothing.
TEST(ProgramProcess, StartsOnceBringsItselfBackAndEnds) {
  const std::wstring program = programPath();
  RegDeleteTreeW(HKEY_CURRENT_USER,
                 L"Software\\Classes\\CLSID\\{C5B3A481-21E3-4CAB-8ABD-3C6A85892AD2}");
  Running first(program);
  ASSERT_TRUE(first.started()) << platform::toUtf8(program);
  HWND main = first.window(nullptr, L"Quenvale Tarnwick");
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(registeredServer(), folderOf(program) + L"\\ImageOleCtrl.dll");
  pump(500);
  EXPECT_TRUE(shootWindow(main, "program-started"));

  ShowWindow(main, SW_MINIMIZE);
  ASSERT_TRUE(waitFor([&] { return IsIconic(main) != FALSE; }));
  Running second(program);
  ASSERT_TRUE(second.started());
  DWORD code = 1;
  EXPECT_TRUE(second.endsWithin(30000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(waitFor([&] { return IsIconic(main) == FALSE; }, 5000));
  EXPECT_EQ(second.findWindow(nullptr, nullptr), nullptr);  // nothing of its own was shown

  // A preview file left in the work folder goes when the program ends.
  const std::string preview = workFile("tmp.jpg");
  ASSERT_EQ(platform::writeWholeFile(preview, "x", 1), 0);
  PostMessageW(main, WM_CLOSE, 0, 0);
  code = 1;
  EXPECT_TRUE(first.endsWithin(30000, &code));  // a question would keep it open
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(platform::pathExists(preview));
}

// The mutex held by another process without the program's window: the "is running" box.
TEST(ProgramProcess, AnotherCopyWithoutAWindowSaysItRuns) {
  HANDLE held = CreateMutexW(nullptr, TRUE, app::kSingleInstanceMutex);
  ASSERT_NE(held, nullptr);
  ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  {
    Running copy(programPath());
    ASSERT_TRUE(copy.started());
    HWND box = copy.window(L"QvSkinWindow", nullptr);
    ASSERT_NE(box, nullptr);
    pump(300);
    RECT r;
    GetWindowRect(box, &r);
    // 350 design units at the box's DPI. Asked about another process's window, the system
    // sometimes answers 96 for a box that is scaled; the screen's DPI is the prefix's.
    const int width = r.right - r.left;
    const int windowDpi = HostWindow::dpiForWindow(box);
    const int screenDpi = HostWindow::dpiForWindow(nullptr);
    EXPECT_TRUE(width == MulDiv(350, windowDpi, 96) || width == MulDiv(350, screenDpi, 96))
        << width << " at " << windowDpi << " / " << screenDpi << " DPI";
    EXPECT_TRUE(shootWindow(box, "program-is-running"));
    EXPECT_EQ(copy.findWindow(nullptr, L"Quenvale Tarnwick"), nullptr);
    PostMessageW(box, WM_CLOSE, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(copy.endsWithin(20000, &code));
    EXPECT_EQ(code, 0u);
  }
  ReleaseMutex(held);
  CloseHandle(held);
}

// A copy of the program without ImageOleCtrl.dll beside it stops with the registration message
// before any window of its own.
TEST(ProgramProcess, WithoutThePictureComponentItStops) {
  const std::string alone = platform::joinPath(outputFolder(), "program-alone");
  ASSERT_EQ(platform::createFolders(alone), 0);
  const std::wstring copyPath = platform::toWide(platform::joinPath(alone, "QuenvaleTarnwick.exe"));
  ASSERT_TRUE(CopyFileW(programPath().c_str(), copyPath.c_str(), FALSE));
  Running copy(copyPath);
  ASSERT_TRUE(copy.started());
  HWND box = copy.window(L"#32770", L"Information");
  ASSERT_NE(box, nullptr);
  pump(300);
  EXPECT_TRUE(shootWindow(box, "program-no-component"));
  EXPECT_EQ(copy.findWindow(nullptr, L"Quenvale Tarnwick"), nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  DWORD code = 1;
  EXPECT_TRUE(copy.endsWithin(20000, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace qv::gui_test
