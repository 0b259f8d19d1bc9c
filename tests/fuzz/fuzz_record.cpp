// The statistics record read from arbitrary bytes: loading must take what it can and
// never read past the file; saving after it must produce a well-formed record.
#include <cstdint>
#include <string>
#include <vector>

#include "accounting/record_file.h"
#include "platform/headless/headless_platform.h"
#include "shell/system.h"
#include "temp_dir.h"

std::vector<std::string> FuzzSeeds() {
  RecordImage image;
  image.balances[0] = -10.0f;
  image.meters[0] = 5;
  image.cashpot = 105;
  image.dateWord = "01/29/07";
  std::string full = EncodeRecord(image);
  return {full,
          full.substr(0, 100),
          full.substr(0, 11),
          std::string(10, 'x'),
          "",
          full.substr(0, full.size() - 9)};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static testing_support::TempDir dir;
  static platform::HeadlessPlatform system;
  system.SetGameDir(dir.Path());
  SetSystem(&system);
  system.CreateFolder("data");
  testing_support::WriteFile(dir / "data/Zemblar.rec",
                             std::string(reinterpret_cast<const char*>(data), size));
  ResetAccounting();
  LoadRecord();
  SaveRecord();
  std::string saved = testing_support::ReadFile(dir / "data/Zemblar.rec");
  if (saved.size() != 249 || !IsRecordDateWord(saved.substr(241))) __builtin_trap();
  return 0;
}
