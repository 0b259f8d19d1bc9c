// packtool: the question packs from their plain-text sources and back.
//
//   packtool check [--font TFFont.BMP] [--giveaways] SRC_DIR
//                                               every problem as "File.txt:line: what", then
//                                               the facts asked twice (less those accepted
//                                               in SRC_DIR/accepted-pairs.txt) and the
//                                               give-away figures (all lopsided terms with
//                                               --giveaways), held to their limits
//   packtool build SRC_DIR OUT_DIR               OUT_DIR/Questions/trueorfalse/*.pck
//   packtool dump PACK                           the pack's lines as source text
//
// Exit status: 0 when all is well, 1 when a source or pack has problems, 64 for bad usage.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "duplicates.h"
#include "pack_build.h"
#include "pack_check.h"
#include "pack_text.h"

namespace {

constexpr const char* kUsage =
    "usage: packtool check [--font FILE] [--giveaways] SRC_DIR\n"
    "       packtool build SRC_DIR OUT_DIR\n"
    "       packtool dump PACK\n"
    "check: every problem of the question sources, the facts asked twice and the give-away\n"
    "figures; build: the scrambled, compressed packs in OUT_DIR/Questions/trueorfalse/;\n"
    "dump: a pack's lines as source text.\n"
    "exit: 0 all is well, 1 a source or pack has problems, 64 bad usage\n";

int Usage(const std::string& problem) {
  return cli::UsageError("packtool", problem);
}

int PrintProblems(const std::vector<std::string>& problems) {
  for (const std::string& p : problems) std::fprintf(stderr, "%s\n", p.c_str());
  std::fprintf(stderr, "packtool: %zu problem%s\n", problems.size(),
               problems.size() == 1 ? "" : "s");
  return 1;
}

int Check(const std::vector<std::string>& args) {
  std::string fontPath, sourceDir;
  bool allTerms = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--font" && i + 1 < args.size())
      fontPath = args[++i];
    else if (args[i] == "--giveaways")
      allTerms = true;
    else if (sourceDir.empty() && args[i].rfind("--", 0) != 0)
      sourceDir = args[i];
    else
      return Usage("check: unexpected argument " + args[i]);
  }
  if (sourceDir.empty()) return Usage("check needs the sources' folder");
  packtool::FontMetrics font;
  if (!fontPath.empty()) {
    std::string error;
    if (!packtool::LoadFontMetrics(fontPath, font, &error)) {
      std::fprintf(stderr, "packtool check: %s\n", error.c_str());
      return 1;
    }
  }
  packtool::CheckResult result =
      packtool::CheckSources(sourceDir, fontPath.empty() ? nullptr : &font);
  if (!result.problems.empty()) return PrintProblems(result.problems);

  // The same fact twice, and the pairs accepted as two facts.
  std::vector<std::string> problems;
  std::string acceptedText;
  std::vector<packtool::AcceptedPair> accepted;
  if (packtool::ReadWholeFile(sourceDir + "/" + packtool::kAcceptedPairsFile, acceptedText))
    accepted = packtool::ParseAcceptedPairs(acceptedText, packtool::kAcceptedPairsFile, &problems);
  packtool::DuplicateReport duplicates = packtool::CheckDuplicates(result.shown, accepted);
  std::printf("%s", packtool::FormatDuplicateReport(duplicates).c_str());
  problems.insert(problems.end(), duplicates.problems.begin(), duplicates.problems.end());

  packtool::GiveawayLimits limits = packtool::SourceLimits();
  packtool::GiveawayReport report = packtool::MeasureGiveaways(result.shown, limits);
  std::printf("%s", packtool::FormatGiveawayReport(report, limits, allTerms ? -1 : 10).c_str());
  std::vector<std::string> giveaways = packtool::GiveawayProblems(report, limits);
  problems.insert(problems.end(), giveaways.begin(), giveaways.end());
  if (!problems.empty()) return PrintProblems(problems);
  if (fontPath.empty())
    std::printf(
        "packtool check: %d statements pass; no --font given, so the fit in the "
        "question box was not tested\n",
        result.statements);
  else
    std::printf("packtool check: %d statements pass, each fits the %d x %d question box in %s\n",
                result.statements, packtool::kQuestionBoxWidth, packtool::kQuestionBoxHeight,
                fontPath.c_str());
  return 0;
}

int Build(const std::vector<std::string>& args) {
  if (args.size() != 2) return Usage("build takes SRC_DIR and OUT_DIR");
  packtool::BuildResult result = packtool::BuildPacks(args[0], args[1]);
  if (!result.problems.empty()) return PrintProblems(result.problems);
  std::printf(
      "packtool build: %d statements in 50 packs, %lld bytes of text packed into %lld "
      "(%.1f%%)\n",
      result.statements, result.textBytes, result.packBytes,
      result.textBytes
          ? 100.0 * static_cast<double>(result.packBytes) / static_cast<double>(result.textBytes)
          : 0.0);
  return 0;
}

int Dump(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage("dump takes one pack");
  packtool::DecodedPack pack;
  std::string error;
  if (!packtool::DumpPack(args[0], pack, &error)) {
    std::fprintf(stderr, "packtool dump: %s\n", error.c_str());
    return 1;
  }
  for (const std::string& line : pack.lines) std::printf("%s\n", line.c_str());
  for (const std::string& warning : pack.warnings)
    std::fprintf(stderr, "%s: %s\n", args[0].c_str(), warning.c_str());
  return pack.warnings.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  int status = 0;
  if (cli::HelpOrVersion(argc, argv, "packtool", kUsage, status)) return status;
  if (argc < 2) return Usage("which command? check, build or dump");
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "check") return Check(args);
  if (command == "build") return Build(args);
  if (command == "dump") return Dump(args);
  return Usage("unknown command \"" + command + "\"");
}
