// Runs a libFuzzer-style target without libFuzzer: every file named on the command line once
// (to replay a finding), then --runs generated inputs from --seed: random bytes, sequences of
// protocol words and numbers, and mutations of earlier inputs.
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
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kTokens[] = {
    "CGET"sv, "BGET"sv, "CUSE"sv, "BADD"sv, "CADD"sv,  "TERM"sv,   ","sv,      "\r\n"sv, "\n"sv,
    "\r"sv,   "0"sv,    "1"sv,    "50"sv,   "99999"sv, "100000"sv, "100001"sv, "-"sv,    "+"sv,
    " "sv,    "\0"sv,   "CTEL"sv, "FAIL"sv, "07"sv,    "\xff"sv,   "\t"sv};

// The input being run, kept so that a crash can leave it behind for replaying.
const std::string* gCurrent = nullptr;
constexpr const char* kCrashFile = "moneyd-fuzz-crash.bin";

void OnCrash(int signal) {
  if (gCurrent) {
    const int fd = open(kCrashFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      [[maybe_unused]] const ssize_t written = write(fd, gCurrent->data(), gCurrent->size());
      close(fd);
    }
    const char note[] = "fuzz: fault; the input is in moneyd-fuzz-crash.bin\n";
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

std::string Tokens(std::mt19937& random) {
  std::string out;
  const size_t count = random() % 40;
  for (size_t i = 0; i < count; ++i) {
    const size_t pick = random() % (std::size(kTokens) + 1);
    if (pick == std::size(kTokens)) {
      out.append(4090 + random() % 10, 'A');  // around the line limit
    } else {
      out += kTokens[pick];
    }
  }
  return out;
}

std::string RandomBytes(std::mt19937& random) {
  std::string out(random() % 300, '\0');
  for (char& c : out) c = static_cast<char>(random());
  return out;
}

std::string Mutate(std::string s, const std::vector<std::string>& corpus, std::mt19937& random) {
  const int steps = 1 + static_cast<int>(random() % 4);
  for (int i = 0; i < steps; ++i) {
    const size_t at = s.empty() ? 0 : random() % s.size();
    switch (random() % 5) {
      case 0:
        if (!s.empty()) s[at] = static_cast<char>(s[at] ^ (1 << (random() % 8)));
        break;
      case 1:
        s.insert(at, 1, static_cast<char>(random()));
        break;
      case 2:
        if (!s.empty()) s.erase(at, 1 + random() % 8);
        break;
      case 3:
        s.insert(at, s.substr(at, random() % 64));
        break;
      default: {
        const std::string& other = corpus[random() % corpus.size()];
        s = s.substr(0, at) + other.substr(other.empty() ? 0 : random() % other.size());
      }
    }
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  long runs = 20000;
  unsigned seed = 1;
  int replayed = 0;
  for (const int s : {SIGILL, SIGABRT, SIGSEGV, SIGFPE, SIGTRAP}) std::signal(s, OnCrash);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
      runs = std::atol(argv[++i]);
    } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
      seed = static_cast<unsigned>(std::atol(argv[++i]));
    } else {
      std::ifstream file(argv[i], std::ios::binary);
      if (!file) {
        std::fprintf(stderr, "fuzz: cannot read %s\n", argv[i]);
        return 2;
      }
      Run(std::string(std::istreambuf_iterator<char>(file), {}));
      ++replayed;
    }
  }
  std::mt19937 random(seed);
  std::vector<std::string> corpus = {"CGET\r\n", "CUSE,50\r\nBADD,200\nCADD,5\r\nTERM\r\n",
                                     "CADD,100000\r\n", std::string(4094, 'A') + "\n"};
  for (long run = 0; run < runs; ++run) {
    std::string input;
    switch (random() % 3) {
      case 0:
        input = RandomBytes(random);
        break;
      case 1:
        input = Tokens(random);
        break;
      default:
        input = Mutate(corpus[random() % corpus.size()], corpus, random);
    }
    Run(input);
    if (input.size() < 8192) {
      if (corpus.size() < 256) {
        corpus.push_back(input);
      } else {
        corpus[random() % corpus.size()] = input;
      }
    }
  }
  std::printf("fuzz: %d replayed, %ld generated inputs (seed %u), no fault\n", replayed, runs,
              seed);
  return 0;
}
