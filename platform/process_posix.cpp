#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/error_text.h"
#include "platform/process.h"
#include "platform/result.h"

extern char** environ;

namespace qv::platform {

struct Process::Impl {
  pid_t pid = -1;
  int input = -1;   // our end of the child's standard input
  int output = -1;  // our end of the child's standard output and error
  bool ended = false;
  int status = 0;

  ~Impl() {
    if (input >= 0) ::close(input);
    if (output >= 0) ::close(output);
    // Reap the child if it has ended already; one still running is left to finish.
    if (pid > 0 && !ended) ::waitpid(pid, &status, WNOHANG);
  }
};

Process::Process() : impl_(std::make_unique<Impl>()) {}
Process::~Process() = default;

int Process::start(const std::string& program, const std::vector<std::string>& args) {
  if (impl_->pid > 0) return kInvalid;
  int in[2], out[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return errnoToCode(errno);
  if (::pipe2(out, O_CLOEXEC) != 0) {
    const int err = errno;
    ::close(in[0]);
    ::close(in[1]);
    return errnoToCode(err);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, out[1], 2);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attr, 0);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  ::close(in[0]);
  ::close(out[1]);
  if (rc != 0) {
    ::close(in[1]);
    ::close(out[0]);
    return errnoToCode(rc);
  }
  // Writing to a child that closed its input must give an error, not end this process.
  ::signal(SIGPIPE, SIG_IGN);
  impl_->pid = pid;
  impl_->input = in[1];
  impl_->output = out[0];
  return kOk;
}

int Process::waitFor(int milliseconds, bool* ended) {
  *ended = impl_->ended;
  if (impl_->pid <= 0) return kErrInvalidHandle;
  for (int waited = 0;; ++waited) {
    if (!impl_->ended) {
      const pid_t r = ::waitpid(impl_->pid, &impl_->status, WNOHANG);
      if (r == impl_->pid) impl_->ended = true;
      if (r < 0 && errno != EINTR) return errnoToCode(errno);
    }
    if (impl_->ended || waited >= milliseconds) break;
    const timespec oneMs{0, 1000000};
    ::nanosleep(&oneMs, nullptr);
  }
  *ended = impl_->ended;
  return kOk;
}

int Process::peek(std::size_t* available) {
  *available = 0;
  if (impl_->output < 0) return kErrInvalidHandle;
  pollfd p{impl_->output, POLLIN, 0};
  int r;
  do {
    r = ::poll(&p, 1, 0);
  } while (r < 0 && errno == EINTR);
  if (r < 0) return errnoToCode(errno);
  if (r == 0) return kOk;  // quiet, still open
  int n = 0;
  if (::ioctl(impl_->output, FIONREAD, &n) != 0) return errnoToCode(errno);
  if (n > 0) {
    *available = static_cast<std::size_t>(n);
    return kOk;
  }
  // Readable with nothing in it: every writer has closed its end.
  return (p.revents & (POLLHUP | POLLIN)) != 0 ? kErrHandleEof : kOk;
}

int Process::read(void* buf, std::size_t n, std::size_t* got) {
  *got = 0;
  if (impl_->output < 0) return kErrInvalidHandle;
  ssize_t r;
  do {
    r = ::read(impl_->output, buf, n);
  } while (r < 0 && errno == EINTR);
  if (r < 0) return errnoToCode(errno);
  if (r == 0 && n > 0) return kErrHandleEof;
  *got = static_cast<std::size_t>(r);
  return kOk;
}

int Process::writeInput(const void* buf, std::size_t n) {
  if (impl_->input < 0) return kErrInvalidHandle;
  const auto* p = static_cast<const char*>(buf);
  while (n > 0) {
    const ssize_t w = ::write(impl_->input, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return errnoToCode(errno);
    }
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return kOk;
}

void Process::closeInput() {
  if (impl_->input >= 0) ::close(impl_->input);
  impl_->input = -1;
}

int Process::exitCode(int* code) {
  *code = 0;
  if (!impl_->ended) return kErrBusy;
  if (WIFEXITED(impl_->status)) {
    *code = WEXITSTATUS(impl_->status);
  } else if (WIFSIGNALED(impl_->status)) {
    *code = 128 + WTERMSIG(impl_->status);
  }
  return kOk;
}

int Process::terminate() {
  if (impl_->pid <= 0 || impl_->ended) return kOk;
  if (::kill(impl_->pid, SIGKILL) != 0 && errno != ESRCH) return errnoToCode(errno);
  if (::waitpid(impl_->pid, &impl_->status, 0) == impl_->pid) impl_->ended = true;
  return kOk;
}

int Process::id() const {
  return impl_->pid > 0 ? static_cast<int>(impl_->pid) : 0;
}

int currentProcessId() {
  return static_cast<int>(::getpid());
}

void keepNewFilesPrivate() {
  ::umask(077);
}

}  // namespace qv::platform
