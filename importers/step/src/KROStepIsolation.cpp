// KROStepIsolation.cpp - OCCT in a worker process: the host starts `kro-step-worker`, watches its
// time and memory, and reads its plain result from a pipe.
///
/// A spare worker is started ahead of the next read with `--wait`: it loads and initialises
/// OCCT, then reads the file's path (and whether to mesh) from its socket, so that a host reading several files does
/// not wait for a worker to start each time.
///
/// The worker writes, on the descriptor it is given, a record per step it starts ('P', a length
/// byte, the step's name) and then its result ('R' and the encoded plain read). A worker that
/// dies, hangs, grows past the memory limit or sends too much or garbage costs the import only:
/// the host kills its process group, reaps it and reports what happened and in which step.
#include "KROStepImport.h"
#include "KROStepPmi.h"
#include "KROStepWire.h"

#include <OSD.hxx>
#include <STEPCAFControl_Controller.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <TDocStd_Document.hxx>
#include <XCAFApp_Application.hxx>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

/// The worker's descriptor for its records (0–2 go to /dev/null: OCCT prints to the console).
constexpr int kWorkerFd = 3;
/// A spare's request flag: mesh the parts (KROStepReadOptions::mesh).
constexpr char kRequestMesh = 1;
/// No result is larger than this, whatever the memory limit.
constexpr std::uint64_t kMaxResult = std::uint64_t(4) << 30;

std::string WorkerPath(const KROStepReadOptions& options) {
  if (!options.workerPath.empty()) return options.workerPath;
  if (const char* env = std::getenv("KRO_STEP_WORKER"); env && *env) return env;
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&KROStepReadIsolated), &info) == 0 || !info.dli_fname)
    return {};
  std::string library = info.dli_fname;
  const std::size_t slash = library.rfind('/');
  return (slash == std::string::npos ? std::string(".") : library.substr(0, slash)) +
         "/kro-step-worker";
}

std::string Mib(std::uint64_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

std::string Seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", s);
  return text;
}

/// The worker's resident memory, or 0 when it cannot be read.
std::uint64_t ResidentBytes(pid_t pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/statm", static_cast<int>(pid));
  std::FILE* f = std::fopen(path, "r");
  if (!f) return 0;
  unsigned long long size = 0, resident = 0;
  const int n = std::fscanf(f, "%llu %llu", &size, &resident);
  std::fclose(f);
  const long page = ::sysconf(_SC_PAGESIZE);
  return n == 2 && page > 0 ? resident * static_cast<std::uint64_t>(page) : 0;
}

/// The worker's records so far: the last step it named, and where its result starts.
struct Records {
  std::size_t parsed = 0;
  std::string phase = "starting";
  std::size_t result = std::string::npos; ///< offset of the encoded result, once 'R' came
  bool malformed = false;

  void Parse(const std::string& bytes) {
    while (result == std::string::npos && !malformed && parsed < bytes.size()) {
      const char kind = bytes[parsed];
      if (kind == 'R') {
        result = parsed + 1;
      } else if (kind == 'P') {
        if (parsed + 2 > bytes.size()) return;
        const std::size_t length = static_cast<unsigned char>(bytes[parsed + 1]);
        if (parsed + 2 + length > bytes.size()) return;
        phase = bytes.substr(parsed + 2, length);
        parsed += 2 + length;
      } else {
        malformed = true;
      }
    }
  }
};

/// A started worker: its process and the host's end of its channel.
struct Worker {
  pid_t pid = 0;
  int fd = -1;
};

/// Starts `worker` with `args` and its descriptor 3 on a fresh channel (a pipe it writes to, or
/// with `socket` a socket pair the host also sends its request on). Returns an error text.
std::string Spawn(const std::string& worker, std::vector<std::string> args, bool socket,
                  Worker& out) {
  int fds[2];
  if (socket ? ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0
             : ::pipe2(fds, O_CLOEXEC) != 0)
    return std::string("cannot make a channel: ") + std::strerror(errno);
  // The child's end becomes its descriptor 3 by dup2, which clears close-on-exec; make sure it
  // is not already 3, where dup2 would do nothing.
  if (fds[1] == kWorkerFd) {
    const int moved = ::fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
    ::close(fds[1]);
    fds[1] = moved;
  }
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawnattr_init(&attributes);
  ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  ::posix_spawn_file_actions_adddup2(&actions, fds[1], kWorkerFd);
  // The child starts with no signal blocked and every handler at its default, in a process
  // group of its own, so that a kill on time-out reaches it and nothing of the host.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  sigdelset(&all, SIGKILL);
  sigdelset(&all, SIGSTOP);
  ::posix_spawnattr_setsigmask(&attributes, &none);
  ::posix_spawnattr_setsigdefault(&attributes, &all);
  ::posix_spawnattr_setpgroup(&attributes, 0);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                              POSIX_SPAWN_SETPGROUP);
  args.insert(args.begin(), worker);
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  const int spawned =
      ::posix_spawn(&out.pid, worker.c_str(), &actions, &attributes, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::posix_spawnattr_destroy(&attributes);
  ::close(fds[1]);
  if (spawned != 0) {
    ::close(fds[0]);
    return "cannot start the reader " + worker + ": " + std::strerror(spawned);
  }
  out.fd = fds[0];
  return {};
}

/// One worker started ahead of need for the default worker path, its OCCT already loaded and
/// initialised, waiting for a file to read: the next read does not pay for starting it. It
/// ends by itself when the host closes its end (and so when the host ends).
class Spare {
public:
  /// The spare for `worker`, if there is one; the caller owns it then.
  bool Take(const std::string& worker, Worker& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.fd < 0 || path_ != worker) return false;
    out = spare_;
    spare_ = Worker();
    return true;
  }
  /// Starts a spare for `worker` unless one waits already.
  void Refill(const std::string& worker) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.fd >= 0 && path_ == worker) return;
    Drop();
    Worker w;
    if (Spawn(worker, {"--fd", std::to_string(kWorkerFd), "--wait"}, true, w).empty()) {
      spare_ = w;
      path_ = worker;
    }
  }
  ~Spare() {
    std::lock_guard<std::mutex> lock(mutex_);
    Drop();
  }

private:
  void Drop() {
    if (spare_.fd < 0) return;
    ::close(spare_.fd); // it reads the end of its request and ends
    ::kill(-spare_.pid, SIGKILL);
    ::waitpid(spare_.pid, nullptr, 0);
    spare_ = Worker();
  }
  std::mutex mutex_;
  Worker spare_;
  std::string path_;
};

Spare& TheSpare() {
  static Spare spare;
  return spare;
}

/// Watches `w` until it ends; fills `bytes` with what it wrote and `status` with how it ended
/// (`known` false when the host cannot learn it). Returns an error text, or "" when the worker
/// ran to its end within the limits.
std::string Watch(Worker w, const KROStepReadOptions& options, std::string& bytes, Records& records,
                  int& status, bool& known) {
  const pid_t pid = w.pid;
  int fds[1] = {w.fd};
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(options.timeLimitSeconds));
  const std::uint64_t maxBytes = std::min(options.memoryLimitBytes, kMaxResult) + 64;
  auto lastLook = start;
  std::string error;
  for (bool open = true; open;) {
    pollfd p{fds[0], POLLIN, 0};
    const int ready = ::poll(&p, 1, 50);
    if (ready > 0) {
      char chunk[1 << 16];
      const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
      if (n > 0) {
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
          error = "sent more than " + Mib(maxBytes - 64);
          break;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
        records.Parse(bytes);
      } else if (n == 0 || (n < 0 && errno == ECONNRESET)) {
        open = false; // a worker's socket is reset when it dies with its input unread
      } else if (errno != EINTR && errno != EAGAIN) {
        error = std::string("could not be read from: ") + std::strerror(errno);
        break;
      }
    } else if (ready < 0 && errno != EINTR) {
      error = std::string("could not be watched: ") + std::strerror(errno);
      break;
    }
    const auto now = Clock::now();
    if (now > deadline) {
      error = "took longer than " + Seconds(options.timeLimitSeconds) + " s";
      break;
    }
    if (now - lastLook > std::chrono::milliseconds(100)) {
      lastLook = now;
      if (ResidentBytes(pid) > options.memoryLimitBytes) {
        error = "used more than " + Mib(options.memoryLimitBytes) + " of memory";
        break;
      }
    }
  }
  ::close(fds[0]);
  if (!error.empty()) ::kill(-pid, SIGKILL);
  // Reap it. A worker that closed its end but does not end is stopped at the deadline.
  known = false;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      known = true;
      break;
    }
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) break; // ECHILD: the host ignores SIGCHLD, so the status is gone
    if (Clock::now() > deadline && error.empty()) {
      error = "took longer than " + Seconds(options.timeLimitSeconds) + " s";
      ::kill(-pid, SIGKILL);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return error;
}

std::string Lower(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

} // namespace

namespace {

/// The command line of a worker that reads `path` at once.
std::vector<std::string> ArgsToRead(const std::string& path, const KROStepReadOptions& options) {
  std::vector<std::string> args{"--fd", std::to_string(kWorkerFd)};
  if (!options.mesh) args.push_back("--no-mesh");
  args.push_back(path);
  return args;
}

} // namespace

KROStepPlainRead KROStepReadIsolated(const std::string& path, const KROStepReadOptions& options) {
  KROStepPlainRead out;
  auto fail = [&](const std::string& why) {
    out = KROStepPlainRead();
    try {
      out.messages.push_back({KROStepMessage::Severity::Error, path + ": " + why});
    } catch (...) {
    }
    return out;
  };
  try {
    const std::string worker = WorkerPath(options);
    if (worker.empty() || ::access(worker.c_str(), X_OK) != 0)
      return fail("cannot find the reader process (" +
                  (worker.empty() ? std::string("kro-step-worker") : worker) +
                  "); set KRO_STEP_WORKER to it");
    // The spare waiting for this worker path takes the request over its socket; else a worker
    // is started with the file on its command line. Either way a spare is started for the next
    // read (the default path only: a worker named by the caller is started afresh each time).
    const bool spares = options.workerPath.empty();
    Worker w;
    bool sent = false;
    if (spares && TheSpare().Take(worker, w)) {
      std::string request(5, '\0');
      request[0] = options.mesh ? kRequestMesh : 0;
      const auto size = static_cast<std::uint32_t>(path.size());
      for (int i = 0; i < 4; ++i)
        request[static_cast<std::size_t>(i) + 1] = static_cast<char>(size >> (8 * i));
      request += path;
      sent = ::send(w.fd, request.data(), request.size(), MSG_NOSIGNAL) ==
             static_cast<ssize_t>(request.size());
      ::shutdown(w.fd, SHUT_WR);
      if (!sent) { // the spare is gone: start one for this read
        ::close(w.fd);
        ::kill(-w.pid, SIGKILL);
        ::waitpid(w.pid, nullptr, 0);
        w = Worker();
      }
    }
    if (!sent) {
      const std::string error = Spawn(worker, ArgsToRead(path, options), false, w);
      if (!error.empty()) return fail(error);
    }
    std::string bytes;
    Records records;
    int status = 0;
    bool known = false;
    std::string error = Watch(w, options, bytes, records, status, known);
    if (sent && error.empty() && bytes.empty()) {
      // The spare died before it said a word (killed while it waited): this read starts a
      // worker of its own.
      const std::string failed = Spawn(worker, ArgsToRead(path, options), false, w);
      if (!failed.empty()) return fail(failed);
      records = Records();
      error = Watch(w, options, bytes, records, status, known);
    }
    if (spares && options.spareWorker) TheSpare().Refill(worker);
    const std::string during = " while " + records.phase;
    if (!error.empty()) return fail("the reader " + error + during + "; it was stopped");
    if (records.malformed) return fail("the reader sent a malformed result");
    if (records.result == std::string::npos) {
      if (!known) return fail("the reader ended" + during + ", status unknown");
      if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        const char* name = ::strsignal(signal);
        return fail("the reader stopped with signal " + std::to_string(signal) +
                    (name ? " (" + Lower(name) + ")" : std::string()) + during);
      }
      return fail("the reader ended with status " +
                  std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : status) + during);
    }
    std::string why;
    if (!KROStepDecode(std::string_view(bytes).substr(records.result), out, why))
      return fail("the reader sent a malformed result (" + why + ")");
    return out;
  } catch (...) {
    return fail("out of memory while reading");
  }
}

namespace {

/// Loads and initialises what every read needs, so that a spare worker is ready when asked.
void WarmUp() {
  try {
    STEPCAFControl_Controller::Init();
    Handle(TDocStd_Document) doc;
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc);
    STEPCAFControl_Reader reader;
    XCAFApp_Application::GetApplication()->Close(doc);
  } catch (...) {
    // The read itself meets whatever failed here, and reports it.
  }
}

/// A spare worker's request: a byte of flags (kRequestMesh), a 4-byte little-endian length and
/// the file's path. False when the host closed its end without asking.
bool ReadRequest(int fd, std::string& path, bool& mesh) {
  auto readAll = [fd](char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t n = ::read(fd, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  };
  unsigned char head[5];
  if (!readAll(reinterpret_cast<char*>(head), 5)) return false;
  mesh = (head[0] & kRequestMesh) != 0;
  const std::uint32_t size = head[1] | head[2] << 8 | head[3] << 16 | std::uint32_t(head[4]) << 24;
  if (size == 0 || size > 65536) return false;
  path.resize(size);
  return readAll(path.data(), size);
}

} // namespace

int KROStepWorkerMain(int argc, char** argv) {
  const bool noMesh = argc == 5 && std::strcmp(argv[3], "--no-mesh") == 0;
  if ((argc != 4 && !noMesh) || std::strcmp(argv[1], "--fd") != 0) {
    std::fprintf(stderr, "usage: kro-step-worker --fd N [--no-mesh] (FILE | --wait)\n");
    return 2;
  }
  const int fd = std::atoi(argv[2]);
  if (fd < 0) return 2;
  std::string path = argv[argc - 1];
  bool mesh = !noMesh;
  // The host may be gone: a write to its closed pipe must fail, not kill this process silently
  // in the middle of a step.
  ::signal(SIGPIPE, SIG_IGN);
  // A host that is killed takes its worker with it, rather than leaving it reading on.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() == 1) return 0; // the host is already gone
  // This process is the worker's own: OCCT may turn an access violation inside its transfer
  // into an exception of the entity being transferred, which its transfer catches, so that one
  // bad entity costs only itself. A host process must never do this.
  OSD::SetSignal(false);
  // A spare: ready first, then told which file to read.
  if (path == "--wait") {
    WarmUp();
    if (!ReadRequest(fd, path, mesh)) return 0;
  }
  bool open = true;
  auto phase = [&](const char* name) {
    const std::size_t length = std::min<std::size_t>(std::strlen(name), 255);
    char head[2] = {'P', static_cast<char>(length)};
    open = open && WriteAll(fd, head, 2) && WriteAll(fd, name, length);
  };
  std::string bytes;
  try {
    bytes = KROStepEncode(KROStepReadInProcess(path, false, mesh, phase));
  } catch (...) {
    return 4; // out of memory: the host reports the status and the step
  }
  if (!open || !WriteAll(fd, "R", 1) || !WriteAll(fd, bytes.data(), bytes.size())) return 3;
  return 0;
}
