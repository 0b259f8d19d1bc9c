// Runs a fuzz target without libFuzzer, the same inputs on every run so that the suite feeds
// them through the sanitizer build: every file named on the command line once (to replay a
// finding), the target's seeds, then --runs inputs made from --seed: mutations of the seeds and
// of earlier inputs (flips, interesting bytes, cuts, insertions, splices, repeats), random
// bytes, and, for a target with a dictionary, sequences of its words.
//
//   <target> [--runs N] [--seed S] [FILE...]      (20000 runs, seed 1, unless given)
//
// A target defines LLVMFuzzerTestOneInput and FuzzSeeds, and may define FuzzDictionary. An
// input that faults is left in <target>-crash.bin for replaying.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
std::vector<std::string> FuzzSeeds();
// Words of the format that random bytes would rarely hit; none unless the target says.
__attribute__((weak)) std::vector<std::string> FuzzDictionary() {
  return {};
}

namespace {

constexpr size_t kMaxKept = 256;       // earlier inputs kept to mutate again
constexpr size_t kMaxKeptSize = 8192;  // larger inputs are run but not kept

// The input being run, kept so that a fault can leave it behind.
const std::string* gCurrent = nullptr;
std::string gCrashFile = "fuzz-crash.bin";

void OnFault(int signal) {
  if (gCurrent) {
    const int fd = open(gCrashFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      [[maybe_unused]] const ssize_t written = write(fd, gCurrent->data(), gCurrent->size());
      close(fd);
    }
    const char note[] = "fuzz: fault; the input is in the -crash.bin file beside\n";
    [[maybe_unused]] const ssize_t shown = write(2, note, sizeof note - 1);
  }
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void Run(const std::string& input) {
  gCurrent = &input;
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  gCurrent = nullptr;
}

class Maker {
 public:
  Maker(unsigned seed, std::vector<std::string> kept, std::vector<std::string> words)
      : random_(seed), kept_(std::move(kept)), words_(std::move(words)) {}

  std::string Next() {
    switch (Pick(words_.empty() ? 4 : 5)) {
      case 0:
        return RandomBytes();
      case 4:
        return Words();
      default:
        return Mutate(kept_.empty() ? std::string() : kept_[Pick(kept_.size())]);
    }
  }

  void Keep(const std::string& input) {
    if (input.size() > kMaxKeptSize) return;
    if (kept_.size() < kMaxKept) {
      kept_.push_back(input);
    } else {
      kept_[Pick(kept_.size())] = input;
    }
  }

 private:
  size_t Pick(size_t n) {
    return n == 0 ? size_t{0} : std::uniform_int_distribution<size_t>(0, n - 1)(random_);
  }

  std::string RandomBytes() {
    std::string s(Pick(512), '\0');
    for (char& c : s) c = static_cast<char>(Pick(256));
    return s;
  }

  std::string Words() {
    std::string s;
    for (size_t i = 0, n = Pick(40); i < n; ++i) s += words_[Pick(words_.size())];
    return s;
  }

  std::string Mutate(std::string s) {
    for (int edits = 1 + static_cast<int>(Pick(8)); edits > 0; --edits) {
      switch (Pick(words_.empty() ? 6 : 7)) {
        case 0:  // flip a bit
          if (!s.empty()) s[Pick(s.size())] ^= static_cast<char>(1u << Pick(8));
          break;
        case 1:  // set a byte to an interesting value
          if (!s.empty()) {
            static const char kValues[] = {0, 1, '\r', '\n', ',', '-', '9', 0x7F, '\xFF', ' '};
            s[Pick(s.size())] = kValues[Pick(sizeof kValues)];
          }
          break;
        case 2:  // cut
          s.resize(Pick(s.size() + 1));
          break;
        case 3:  // insert random bytes
          s.insert(Pick(s.size() + 1), std::string(1 + Pick(16), static_cast<char>(Pick(256))));
          break;
        case 4:  // splice another input
          if (!kept_.empty()) {
            const std::string& other = kept_[Pick(kept_.size())];
            s.insert(Pick(s.size() + 1), other.substr(Pick(other.size() + 1)));
          }
          break;
        case 5:  // repeat a chunk to make it long
          if (!s.empty()) {
            const std::string chunk = s.substr(Pick(s.size()), 1 + Pick(64));
            for (size_t i = 0, n = 1 + Pick(200); i < n; ++i) s += chunk;
          }
          break;
        default:  // insert a word of the format
          s.insert(Pick(s.size() + 1), words_[Pick(words_.size())]);
          break;
      }
    }
    return s;
  }

  std::mt19937 random_;
  std::vector<std::string> kept_;
  const std::vector<std::string> words_;
};

bool ReadFile(const char* path, std::string& out) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  out.assign(std::istreambuf_iterator<char>(file), {});
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const char* slash = std::strrchr(argv[0], '/');
  gCrashFile = std::string(slash ? slash + 1 : argv[0]) + "-crash.bin";
  for (const int s : {SIGILL, SIGABRT, SIGSEGV, SIGFPE, SIGTRAP, SIGBUS}) std::signal(s, OnFault);
  long runs = 20000;
  unsigned seed = 1;
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::strtol(argv[++i], nullptr, 10);
    } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
      seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      std::string input;
      if (!ReadFile(argv[i], input)) {
        std::fprintf(stderr, "fuzz: cannot read %s\n", argv[i]);
        return 2;
      }
      Run(input);
      ++replayed;
    }
  }
  const std::vector<std::string> seeds = FuzzSeeds();
  for (const std::string& s : seeds) Run(s);
  Maker maker(seed, seeds, FuzzDictionary());
  for (long i = 0; i < runs; ++i) {
    const std::string input = maker.Next();
    Run(input);
    maker.Keep(input);
  }
  std::printf("fuzz: %d replayed, %zu seeds, %ld generated inputs (seed %u), no fault\n", replayed,
              seeds.size(), runs, seed);
  return 0;
}
