// Golden pictures: a screen compared with a PNG kept in tests/golden. Run a test with
// STRIKORA_UPDATE_GOLDEN=1 to write the picture it makes as the new expectation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Compares an 800x600 RGB565 screen with tests/golden/<name>.png; on a difference, the
// picture made is written beside the test's temp files and the reason returned.
std::string CompareWithGolden(const std::string& name, const std::vector<uint16_t>& screen);

}  // namespace testing_support
