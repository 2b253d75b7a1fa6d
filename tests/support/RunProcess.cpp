// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a program and captures what it writes, for end-to-end tests of the executables.
#include "tests/support/RunProcess.h"

#ifdef _WIN32
// Windows: CreateProcessW with pipes, each read by a thread of its own. Ctrl-C at a chosen
// moment (interruptWhen) is not offered; the tests that need it run on POSIX only.
#include <windows.h>

#include <stdexcept>
#include <thread>

#include "core/Platform.h"

namespace {

// One argument as the C runtime's command-line parser reads it back.
std::wstring Quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(2 * backslashes, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

std::wstring EnvironmentBlock(const std::vector<std::string>& extra) {
  std::vector<std::wstring> entries;
  wchar_t* inherited = ::GetEnvironmentStringsW();
  for (const wchar_t* e = inherited; e != nullptr && *e != L'\0'; e += wcslen(e) + 1) {
    entries.emplace_back(e);
  }
  ::FreeEnvironmentStringsW(inherited);
  for (const std::string& entry : extra) {
    const std::wstring wide = WidePath(entry);
    const std::wstring name = wide.substr(0, wide.find(L'=') + 1);
    std::erase_if(entries, [&name](const std::wstring& e) { return _wcsnicmp(e.c_str(), name.c_str(), name.size()) == 0; });
    entries.push_back(wide);
  }
  std::wstring block;
  for (const std::wstring& e : entries) block += e + L'\0';
  return block + L'\0';
}

void ReadAll(HANDLE pipe, std::string& into) {
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) into.append(buffer, got);
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  if (argv.empty()) throw std::invalid_argument("RunProcess needs a program");
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead, outWrite, errRead, errWrite, inRead, inWrite;
  if (!::CreatePipe(&outRead, &outWrite, &inherit, 0) || !::CreatePipe(&errRead, &errWrite, &inherit, 0) ||
      !::CreatePipe(&inRead, &inWrite, &inherit, 0)) {
    throw std::runtime_error("CreatePipe failed");
  }
  for (HANDLE own : {outRead, errRead, inWrite}) ::SetHandleInformation(own, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inRead;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  std::wstring commandLine;
  for (const std::string& a : argv) commandLine += (commandLine.empty() ? L"" : L" ") + Quoted(WidePath(a));
  std::wstring environment = EnvironmentBlock(options.environment);
  PROCESS_INFORMATION process{};
  // Wine now and then fails a start on a loaded machine; a second try is not a different test.
  BOOL started = FALSE;
  DWORD error = 0;
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    if (attempt > 0) ::Sleep(200);
    started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                               CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, environment.data(),
                               nullptr, &startup, &process);
    if (!started) error = ::GetLastError();
  }
  ::CloseHandle(outWrite);
  ::CloseHandle(errWrite);
  ::CloseHandle(inRead);
  if (!started) {
    ::CloseHandle(outRead), ::CloseHandle(errRead), ::CloseHandle(inWrite);
    throw std::runtime_error("cannot start " + argv[0] + " (error " + std::to_string(error) + ")");
  }
  ::CloseHandle(process.hThread);

  ProcessResult result;
  std::thread outReader(ReadAll, outRead, std::ref(result.out));
  std::thread errReader(ReadAll, errRead, std::ref(result.err));
  std::thread writer([&] {
    const std::string text = options.input.value_or(std::string());
    DWORD put = 0;
    for (std::size_t done = 0; done < text.size(); done += put) {
      if (!::WriteFile(inWrite, text.data() + done, static_cast<DWORD>(text.size() - done), &put, nullptr)) break;
    }
    ::CloseHandle(inWrite);
  });
  if (::WaitForSingleObject(process.hProcess, static_cast<DWORD>(options.timeoutSeconds) * 1000) ==
      WAIT_TIMEOUT) {
    result.timedOut = true;
    ::TerminateProcess(process.hProcess, 137);
    ::WaitForSingleObject(process.hProcess, INFINITE);
  }
  writer.join();
  outReader.join();
  errReader.join();
  ::CloseHandle(outRead);
  ::CloseHandle(errRead);
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hProcess);
  result.exitStatus = static_cast<int>(code);
  return result;
}

#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace {

void ClosePipe(int fds[2]) {
  for (int i = 0; i < 2; ++i) {
    if (fds[i] >= 0) ::close(fds[i]);
    fds[i] = -1;
  }
}

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  for (const std::string& entry : extra) {
    const std::string name = entry.substr(0, entry.find('=') + 1);
    std::erase_if(env, [&name](const std::string& e) { return e.rfind(name, 0) == 0; });
    env.push_back(entry);
  }
  return env;
}

// True when the process sleeps until a full pipe has room for what it writes.
bool WaitsOnFullPipe(pid_t pid) {
  std::ifstream wchan("/proc/" + std::to_string(pid) + "/wchan");
  std::string where;
  // pipe_write, anon_pipe_write, pipe_wait, pipe_wait_writable, as kernels name it
  return std::getline(wchan, where) && where.find("pipe_w") != std::string::npos;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  if (argv.empty()) throw std::invalid_argument("RunProcess needs a program");
  int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1}, status[2] = {-1, -1};
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
      ::pipe2(err, O_CLOEXEC) != 0 || ::pipe2(status, O_CLOEXEC) != 0) {
    ClosePipe(in), ClosePipe(out), ClosePipe(err), ClosePipe(status);
    throw std::runtime_error("pipe failed");
  }

  std::size_t filling = 0;
  if (options.interruptAtStderrRoom) {
    const int size = ::fcntl(err[1], F_SETPIPE_SZ, 1);  // rounded up to one page
    if (size <= 0 || static_cast<std::size_t>(size) <= *options.interruptAtStderrRoom) {
      ClosePipe(in), ClosePipe(out), ClosePipe(err), ClosePipe(status);
      throw std::runtime_error("cannot shrink the standard error pipe");
    }
    filling = static_cast<std::size_t>(size) - *options.interruptAtStderrRoom;
    const std::string dots(filling, '.');
    [[maybe_unused]] const ssize_t put = ::write(err[1], dots.data(), dots.size());
  }

  // Everything the child needs is prepared before the fork.
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const std::vector<std::string> envStrings = MergedEnvironment(options.environment);
  std::vector<char*> env;
  for (const std::string& e : envStrings) env.push_back(const_cast<char*>(e.c_str()));
  env.push_back(nullptr);

  // A program that exits before reading all of its input must not take the caller with it.
  if (options.input) ::signal(SIGPIPE, SIG_IGN);

  const pid_t pid = ::fork();
  if (pid < 0) {
    ClosePipe(in), ClosePipe(out), ClosePipe(err), ClosePipe(status);
    throw std::runtime_error("fork failed");
  }
  if (pid == 0) {
    ::signal(SIGPIPE, SIG_DFL);
    if (options.closeStdin) {
      ::close(0);
    } else if (options.input) {
      ::dup2(in[0], 0);
    } else {
      const int null = ::open("/dev/null", O_RDONLY);
      ::dup2(null, 0);
    }
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    if (argv[0].find('/') == std::string::npos) {
      ::execvpe(args[0], args.data(), env.data());
    } else {
      ::execve(args[0], args.data(), env.data());
    }
    const int code = errno;
    [[maybe_unused]] const ssize_t ignored = ::write(status[1], &code, sizeof code);
    ::_exit(127);
  }

  ::close(in[0]), ::close(out[1]), ::close(err[1]), ::close(status[1]);
  in[0] = out[1] = err[1] = status[1] = -1;
  int startError = 0;
  const bool execFailed = ::read(status[0], &startError, sizeof startError) == sizeof startError;
  ::close(status[0]);

  ProcessResult result;
  std::string pending = options.input.value_or(std::string());
  std::size_t written = 0;
  if (!options.input || pending.empty()) {
    ::close(in[1]);
    in[1] = -1;
  } else {
    ::fcntl(in[1], F_SETFL, O_NONBLOCK);
  }

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
  bool interrupted = false;
  bool holdErr = options.interruptAtStderrRoom.has_value();
  while (out[0] >= 0 || err[0] >= 0) {
    const auto interrupt = [&] {
      if (options.interruptSignals.empty()) ::kill(pid, SIGINT);
      for (const int signal : options.interruptSignals) ::kill(pid, signal);
    };
    if (options.interruptWhen && !interrupted && options.interruptWhen(result.err)) {
      interrupt();
      interrupted = true;
    }
    if (holdErr && WaitsOnFullPipe(pid)) {
      interrupt();
      holdErr = false;
    }
    pollfd fds[3];
    int count = 0;
    if (out[0] >= 0) fds[count++] = {out[0], POLLIN, 0};
    if (err[0] >= 0 && !holdErr) fds[count++] = {err[0], POLLIN, 0};
    if (in[1] >= 0) fds[count++] = {in[1], POLLOUT, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      ::kill(pid, SIGKILL);
      break;
    }
    // With a pending interrupt the output is looked at often; otherwise poll waits for it.
    const int wait = (options.interruptWhen && !interrupted) || holdErr
                         ? std::min<int>(holdErr ? 5 : 100, static_cast<int>(left.count()))
                         : static_cast<int>(left.count());
    const int ready = ::poll(fds, static_cast<nfds_t>(count), wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    for (int i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == in[1]) {
        const ssize_t put = ::write(in[1], pending.data() + written, pending.size() - written);
        if (put > 0) written += static_cast<std::size_t>(put);
        if (put < 0 && errno == EAGAIN) continue;
        if (put < 0 || written == pending.size()) {
          ::close(in[1]);
          in[1] = -1;
        }
        continue;
      }
      char buffer[65536];
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      int* fd = fds[i].fd == out[0] ? &out[0] : &err[0];
      if (got <= 0) {
        ::close(*fd);
        *fd = -1;
        continue;
      }
      (fd == &out[0] ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
    }
  }
  ClosePipe(in), ClosePipe(out), ClosePipe(err);
  result.err.erase(0, filling);

  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  if (execFailed) {
    throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(startError));
  }
  if (WIFEXITED(wstatus)) {
    result.exitStatus = WEXITSTATUS(wstatus);
  } else if (WIFSIGNALED(wstatus)) {
    result.exitStatus = 128 + WTERMSIG(wstatus);
  }
  return result;
}

#endif
