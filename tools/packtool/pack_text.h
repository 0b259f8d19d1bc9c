// What packtool knows of the question packs beyond the game's own format: the 50 source
// files, the turn of a source line into pack text (UTF-8 "£" to "#"), the compression with
// the word table and the scrambled pack bytes, and the way back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace packtool {

struct PackSource {
  std::string name;  // "Data01", ... "VexalIntroFalse", "VexalIntroTrue"
  int category;      // 1..25
  int answer;        // 1 true, 0 false
};

// In the order of the game's pack table.
const std::vector<PackSource>& PackSources();
// The pack of a file name ("Data07.pck", a path, or a source "Data07.txt"); null if none.
const PackSource* FindPackSource(const std::string& fileName);
inline bool IsIntro(const PackSource& source) {
  return source.category == 25;
}

// The whole of a file; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// A source file split into lines: newline-ended, a final line without one kept, a "\r"
// before a newline dropped.
std::vector<std::string> SplitSourceLines(const std::string& bytes);

// A UTF-8 source line as pack text: bytes 32..126 stay, "£" becomes "#". Anything the
// font cannot draw is listed in `problems` (one entry per character) and left out.
std::string ToPackText(const std::string& sourceLine, std::vector<std::string>* problems);
// Pack text back to UTF-8: "#" and character 127 become "£".
std::string ToSourceText(const std::string& packText);

// The shortest run of bytes that expands back to `plain` (bytes 32..126), each word of
// the word table counting one byte.
std::string CompressText(const std::string& plain);
// A whole line as the game expands it, without the game's 199-character bound.
std::string ExpandText(const std::string& packed);

// The character written before the last "*" of an intro line, which the game drops.
inline constexpr char kIntroFiller = ' ';
// Pack text lines (statement "*" remark) as the bytes of a pack file: each compressed,
// the intro filler added when `intro`, ended by a newline, all of it scrambled.
std::string EncodePack(const std::vector<std::string>& packTextLines, bool intro);

struct DecodedPack {
  std::vector<std::string> lines;     // source form: statement "*" remark, UTF-8
  std::vector<std::string> warnings;  // what the game would do differently
};
// The lines of pack bytes back in source form, read the way the game reads them.
DecodedPack DecodePack(const std::string& bytes, bool intro);

}  // namespace packtool
