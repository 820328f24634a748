#include <windows.h>

#include "platform/process.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::platform {

struct Process::Impl {
  HANDLE process = nullptr;
  HANDLE input = nullptr;   // our end of the child's standard input
  HANDLE output = nullptr;  // our end of the child's standard output and error
  bool ended = false;

  ~Impl() {
    if (input != nullptr) CloseHandle(input);
    if (output != nullptr) CloseHandle(output);
    if (process != nullptr) CloseHandle(process);  // the child is left to finish on its own
  }
};

namespace {

int lastError() {
  const DWORD e = GetLastError();
  return e == 0 ? kInvalid : static_cast<int>(e);
}

}  // namespace

Process::Process() : impl_(std::make_unique<Impl>()) {}
Process::~Process() = default;

int Process::start(const std::string& program, const std::vector<std::string>& args) {
  if (impl_->process != nullptr) return kInvalid;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr;
  if (!CreatePipe(&inRead, &inWrite, &sa, 0)) return lastError();
  if (!CreatePipe(&outRead, &outWrite, &sa, 0)) {
    const int rc = lastError();
    CloseHandle(inRead);
    CloseHandle(inWrite);
    return rc;
  }
  // Our own ends must not be inherited, or the child would keep its own pipes open.
  SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  si.hStdInput = inRead;
  si.hStdOutput = outWrite;
  si.hStdError = outWrite;
  PROCESS_INFORMATION pi{};
  std::wstring line = toWide(commandLine(program, args));
  const std::wstring app = toWide(program);
  const BOOL ok =
      CreateProcessW(app.c_str(), line.data(), nullptr, nullptr, TRUE,
                     CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &si, &pi);
  const int rc = ok ? kOk : lastError();
  CloseHandle(inRead);
  CloseHandle(outWrite);
  if (!ok) {
    CloseHandle(inWrite);
    CloseHandle(outRead);
    return rc;
  }
  CloseHandle(pi.hThread);
  impl_->process = pi.hProcess;
  impl_->input = inWrite;
  impl_->output = outRead;
  return kOk;
}

int Process::waitFor(int milliseconds, bool* ended) {
  *ended = impl_->ended;
  if (impl_->process == nullptr) return kErrInvalidHandle;
  if (!impl_->ended) {
    const DWORD r = WaitForSingleObject(impl_->process, static_cast<DWORD>(milliseconds));
    if (r == WAIT_FAILED) return lastError();
    impl_->ended = r == WAIT_OBJECT_0;
  }
  *ended = impl_->ended;
  return kOk;
}

int Process::peek(std::size_t* available) {
  *available = 0;
  if (impl_->output == nullptr) return kErrInvalidHandle;
  DWORD n = 0;
  if (!PeekNamedPipe(impl_->output, nullptr, 0, nullptr, &n, nullptr)) {
    const DWORD e = GetLastError();
    return e == ERROR_BROKEN_PIPE ? kErrHandleEof : static_cast<int>(e);
  }
  *available = n;
  return kOk;
}

int Process::read(void* buf, std::size_t n, std::size_t* got) {
  *got = 0;
  if (impl_->output == nullptr) return kErrInvalidHandle;
  DWORD read = 0;
  const DWORD chunk = n > 0x10000000u ? 0x10000000u : static_cast<DWORD>(n);
  if (!ReadFile(impl_->output, buf, chunk, &read, nullptr)) {
    const DWORD e = GetLastError();
    return e == ERROR_BROKEN_PIPE ? kErrHandleEof : static_cast<int>(e);
  }
  *got = read;
  return kOk;
}

int Process::writeInput(const void* buf, std::size_t n) {
  if (impl_->input == nullptr) return kErrInvalidHandle;
  const auto* p = static_cast<const char*>(buf);
  while (n > 0) {
    DWORD written = 0;
    const DWORD chunk = n > 0x10000000u ? 0x10000000u : static_cast<DWORD>(n);
    if (!WriteFile(impl_->input, p, chunk, &written, nullptr)) return lastError();
    p += written;
    n -= written;
  }
  return kOk;
}

void Process::closeInput() {
  if (impl_->input != nullptr) CloseHandle(impl_->input);
  impl_->input = nullptr;
}

int Process::exitCode(int* code) {
  *code = 0;
  if (!impl_->ended) return kErrBusy;
  DWORD c = 0;
  if (!GetExitCodeProcess(impl_->process, &c)) return lastError();
  *code = static_cast<int>(c);
  return kOk;
}

int Process::terminate() {
  if (impl_->process == nullptr || impl_->ended) return kOk;
  if (WaitForSingleObject(impl_->process, 0) == WAIT_OBJECT_0) {
    impl_->ended = true;
    return kOk;
  }
  if (!TerminateProcess(impl_->process, 137)) return lastError();
  WaitForSingleObject(impl_->process, 5000);
  impl_->ended = true;
  return kOk;
}

int Process::id() const {
  return impl_->process != nullptr ? static_cast<int>(GetProcessId(impl_->process)) : 0;
}

int currentProcessId() {
  return static_cast<int>(GetCurrentProcessId());
}

void keepNewFilesPrivate() {}

}  // namespace qv::platform
