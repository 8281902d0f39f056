#include "foundation/crash_report.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <csignal>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <ucontext.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/gbk.h"

namespace isora {
namespace {

// The GBK line prefixes, converted before any crash: nothing in the handler may allocate.
struct Prefixes {
  char text[3][64];
  size_t size[3];
};
Prefixes prefixes;

// Where the report goes, filled before any crash: the handler only reads it.
constexpr char kReportName[] = "exceptionLog.log";
char reportPath[4096] = "exceptionLog.log";

void SetPrefixes() {
  const char8_t* lines[3] = {u8"异常发生代码 : 0x", u8"异常发生地址 : 0x", u8"异常发生标志 : 0x"};
  for (int i = 0; i < 3; ++i) {
    const std::string& gbk = Gbk(lines[i]);
    size_t n = gbk.size() < sizeof prefixes.text[i] ? gbk.size() : sizeof prefixes.text[i];
    std::memcpy(prefixes.text[i], gbk.data(), n);
    prefixes.size[i] = n;
  }
}

// One line: prefix, eight upper-case hex digits, CR LF as a text-mode stream writes it.
size_t FormatLine(char* out, int line, uint32_t value) {
  size_t n = prefixes.size[line];
  std::memcpy(out, prefixes.text[line], n);
  static const char kHex[] = "0123456789ABCDEF";
  for (int d = 7; d >= 0; --d) out[n++] = kHex[(value >> (d * 4)) & 0xF];
  out[n++] = '\r';
  out[n++] = '\r';
  out[n++] = '\n';
  return n;
}

#ifdef _WIN32
void WriteReport(uint32_t code, uint32_t address, uint32_t flags) {
  char report[3 * 80];
  size_t n = FormatLine(report, 0, code);
  n += FormatLine(report + n, 1, address);
  n += FormatLine(report + n, 2, flags);
  // A link or a device in the report's place is left alone.
  HANDLE h = ::CreateFileA(reportPath, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(h, &info) || ::GetFileType(h) != FILE_TYPE_DISK ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
      info.nNumberOfLinks > 1 || !::SetEndOfFile(h)) {
    ::CloseHandle(h);
    return;
  }
  DWORD written = 0;
  ::WriteFile(h, report, static_cast<DWORD>(n), &written, nullptr);
  ::CloseHandle(h);
}

LONG WINAPI Filter(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* r = info->ExceptionRecord;
  WriteReport(static_cast<uint32_t>(r->ExceptionCode),
              static_cast<uint32_t>(reinterpret_cast<uintptr_t>(r->ExceptionAddress)),
              static_cast<uint32_t>(r->ExceptionFlags));
  return EXCEPTION_CONTINUE_SEARCH;  // then the system's own handling ends the process
}

// abort() raises no exception on Windows; it is reported as the fatal exit it amounts to.
void AbortHandler(int) {
  WriteReport(0x40000015, 0, 1);
  std::signal(SIGABRT, SIG_DFL);
  std::raise(SIGABRT);
}

}  // namespace

void InstallCrashHandler() {
  SetPrefixes();
  ULONG guarantee = 64 * 1024;  // room for the filter after a stack overflow
  ::SetThreadStackGuarantee(&guarantee);
  ::SetUnhandledExceptionFilter(Filter);
  std::signal(SIGABRT, AbortHandler);
}
#else
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

// Room for the handler to run after a stack overflow.
alignas(16) char altStack[64 * 1024];

// The exception code a Windows build would have reported for the signal.
uint32_t CodeFor(int sig, const siginfo_t* info) {
  switch (sig) {
    case SIGSEGV:
      return 0xC0000005;  // access violation
    case SIGBUS:
      return info && info->si_code == BUS_ADRALN ? 0x80000002 : 0xC0000005;
    case SIGILL:
      return 0xC000001D;  // illegal instruction
    case SIGFPE:
      if (info && info->si_code == FPE_INTDIV) return 0xC0000094;
      if (info && info->si_code == FPE_INTOVF) return 0xC0000095;
      return 0xC0000090;  // float invalid operation
    default:
      return 0x40000015;  // fatal application exit
  }
}

uint32_t AddressFor(const siginfo_t* info, [[maybe_unused]] void* context) {
#if defined(__x86_64__)
  if (context)
    return static_cast<uint32_t>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__i386__)
  if (context)
    return static_cast<uint32_t>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_EIP]);
#elif defined(__aarch64__)
  if (context) return static_cast<uint32_t>(static_cast<ucontext_t*>(context)->uc_mcontext.pc);
#endif
  return info ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(info->si_addr)) : 0;
}

void Handler(int sig, siginfo_t* info, void* context) {
  int savedErrno = errno;
  char report[3 * 80];
  size_t n = FormatLine(report, 0, CodeFor(sig, info));
  n += FormatLine(report + n, 1, AddressFor(info, context));
  n += FormatLine(report + n, 2, sig == SIGABRT ? 1u : 0u);  // abort cannot be continued
  // Never through a link or into a FIFO or a file with other names: the report replaces only
  // a file of its own. Emptied once that is known (all of these calls are signal-safe).
  int fd = ::open(reportPath, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  struct stat st;
  if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink > 1 ||
                  ::ftruncate(fd, 0) != 0)) {
    ::close(fd);
    fd = -1;
  }
  if (fd >= 0) {
    size_t done = 0;
    while (done < n) {
      ssize_t w = ::write(fd, report + done, n - done);
      if (w <= 0) break;
      done += static_cast<size_t>(w);
    }
    ::close(fd);
  }
  // The system's default handling: the signal's own action (core dump or termination).
  struct sigaction dfl;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  ::sigaction(sig, &dfl, nullptr);
  errno = savedErrno;
  ::raise(sig);
}

}  // namespace

void InstallCrashHandler() {
  SetPrefixes();
  stack_t ss;
  std::memset(&ss, 0, sizeof ss);
  ss.ss_sp = altStack;
  ss.ss_size = sizeof altStack;
  ::sigaltstack(&ss, nullptr);
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_sigaction = Handler;
  sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&sa.sa_mask);
  for (int sig : kSignals) ::sigaction(sig, &sa, nullptr);
}

#endif

void SetCrashReportFolder(const std::string& folder) {
  std::string path = folder.empty() ? std::string(kReportName) : folder + "/" + kReportName;
  if (path.size() >= sizeof reportPath) return;
  std::memcpy(reportPath, path.c_str(), path.size() + 1);
}

std::string CrashReportText(uint32_t code, uint32_t address, uint32_t flags) {
  SetPrefixes();
  char report[3 * 80];
  size_t n = FormatLine(report, 0, code);
  n += FormatLine(report + n, 1, address);
  n += FormatLine(report + n, 2, flags);
  return std::string(report, n);
}

}  // namespace isora
