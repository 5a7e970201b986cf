// kro_fake_worker: stands in for kro-step-worker in the isolation tests. Called as the real one
// is (`--fd N FILE`), it misbehaves as FILE's name says: crash, hang, garbage, flood, memory,
// exit3, cut.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
void Write(int fd, const std::string& s) {
  for (std::size_t done = 0; done < s.size();) {
    const ssize_t n = ::write(fd, s.data() + done, s.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}
} // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const int fd = std::atoi(argv[2]);
  std::string what = argv[3];
  what = what.substr(what.rfind('/') + 1);
  const std::string step = "transferring the file";
  Write(fd, std::string("P") + static_cast<char>(step.size()) + step);
  if (what == "crash") {
    std::signal(SIGSEGV, SIG_DFL); // past any sanitizer's handler
    std::raise(SIGSEGV);
  } else if (what == "hang") {
    for (;;)
      std::this_thread::sleep_for(std::chrono::seconds(1));
  } else if (what == "garbage") {
    Write(fd, "R" + std::string(64, '\x7f'));
  } else if (what == "flood") {
    Write(fd, "R");
    const std::string block(1 << 20, 'x');
    for (;;)
      Write(fd, block);
  } else if (what == "memory") {
    std::vector<char> heap(std::size_t(512) << 20, 1); // touched: resident
    for (;;)
      std::this_thread::sleep_for(std::chrono::milliseconds(heap[12345] + 10));
  } else if (what == "exit3") {
    ::_exit(3);
  } else if (what == "cut") {
    Write(fd, std::string("RKROSTEP") + '\0' + "\x01");
  }
  ::_exit(0);
}
