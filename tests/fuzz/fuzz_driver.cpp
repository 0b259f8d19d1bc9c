// Runs a fuzz target without libFuzzer: the target's seeds, then a fixed number of
// deterministic mutations of them (flips, cuts, insertions, splices, random bytes), so
// that every test run feeds the same inputs through the sanitizer build.
//
//   <target> [iterations]      (default 20000)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
std::vector<std::string> FuzzSeeds();

namespace {

std::string Mutate(std::string s, const std::vector<std::string>& seeds, std::mt19937& r) {
  auto pick = [&](size_t n) {
    return n == 0 ? size_t{0} : std::uniform_int_distribution<size_t>(0, n - 1)(r);
  };
  int edits = 1 + static_cast<int>(pick(8));
  for (int e = 0; e < edits; ++e) {
    switch (pick(7)) {
      case 0:  // flip a bit
        if (!s.empty()) s[pick(s.size())] ^= static_cast<char>(1u << pick(8));
        break;
      case 1:  // set a byte to an interesting value
        if (!s.empty()) {
          static const char kValues[] = {0, 1, '\r', '\n', ',', '-', '9', 0x7F, '\xFF', ' '};
          s[pick(s.size())] = kValues[pick(sizeof kValues)];
        }
        break;
      case 2:  // cut
        s.resize(pick(s.size() + 1));
        break;
      case 3:  // insert random bytes
        s.insert(pick(s.size() + 1), std::string(1 + pick(16), static_cast<char>(pick(256))));
        break;
      case 4:  // splice another seed
        if (!seeds.empty()) {
          const std::string& other = seeds[pick(seeds.size())];
          s.insert(pick(s.size() + 1), other.substr(pick(other.size() + 1)));
        }
        break;
      case 5:  // repeat a chunk to make it long
        if (!s.empty()) {
          std::string chunk = s.substr(pick(s.size()), 1 + pick(64));
          for (size_t i = 0, n = 1 + pick(200); i < n; ++i) s += chunk;
        }
        break;
      default:  // all random
        s.assign(pick(512), '\0');
        for (char& c : s) c = static_cast<char>(pick(256));
        break;
    }
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  long iterations = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 20000;
  std::vector<std::string> seeds = FuzzSeeds();
  for (const std::string& s : seeds)
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(s.data()), s.size());
  std::mt19937 random(12345);
  for (long i = 0; i < iterations; ++i) {
    std::string input = seeds.empty() ? std::string() : seeds[i % seeds.size()];
    input = Mutate(input, seeds, random);
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  }
  std::printf("fuzz: %zu seeds and %ld mutated inputs, no fault\n", seeds.size(), iterations);
  return 0;
}
