// The programs' one JSON string writer: what it escapes, and that any bytes come out as JSON
// that reads back.
#include "cli/json_text.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

namespace {

struct Case {
  std::string text;
  std::string written;
  std::string readBack;  // what a JSON reader gets from `written`
};

TEST(JsonString, EscapesWhatJsonNeedsAndReadsBack) {
  const Case kCases[] = {
      {"plain", "\"plain\"", "plain"},
      {"", "\"\"", ""},
      {"say \"hi\"", "\"say \\\"hi\\\"\"", "say \"hi\""},
      {"C:\\games\\x.rec", "\"C:\\\\games\\\\x.rec\"", "C:\\games\\x.rec"},
      {"two\nlines\ttab", "\"two\\nlines\\ttab\"", "two\nlines\ttab"},
      {std::string("bell\x01", 5), "\"bell\\u0001\"", std::string("bell\x01", 5)},
      {"\xc2\xa3"
       "5",
       "\"\xc2\xa3"
       "5\"",
       "\xc2\xa3"
       "5"},
      {"bad\xff", "\"bad\xef\xbf\xbd\"", "bad\xef\xbf\xbd"},
  };
  for (const Case& c : kCases) {
    const std::string written = JsonString(c.text);
    EXPECT_EQ(written, c.written) << c.text;
    EXPECT_EQ(nlohmann::json::parse(written).get<std::string>(), c.readBack) << c.text;
  }
}

}  // namespace
