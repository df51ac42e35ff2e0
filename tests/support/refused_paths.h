// Paths that name no bitmap however the reader looks at them: a file that
// is not there, a folder, and a real bitmap used as if it were a folder.
// One table for every reader of a chosen path: the platform's loader, the
// Linux layer's file reader and the Open command.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bmp_writer/bmp_writer.h"

namespace varne::test {

struct RefusedPath {
  struct Laid {
    std::string path;     // in the platform's native form
    std::string control;  // a bitmap beside it that does load, or empty
  };
  const char* name;
  // Lays out what the row needs in `folder`, an empty folder of the test's own.
  Laid (*lay)(const std::filesystem::path& folder);
};

namespace refused_paths {

// A 1 x 1 bitmap the separator rows go through.
inline std::string ThroughFile(const std::filesystem::path& folder) {
  const std::string file = (folder / "varne-through.bmp").string();
  const std::vector<std::uint8_t> pixels(4, 0x40);
  WriteFileBytes(file, BuildBmp({.width = 1, .height = 1, .pixels = pixels, .imageBytes = 0}));
  return file;
}

}  // namespace refused_paths

inline std::vector<RefusedPath> RefusedPaths() {
  using Laid = RefusedPath::Laid;
  using Folder = const std::filesystem::path&;
  return {
      {"MissingFile", [](Folder folder) { return Laid{(folder / "varne-no-such-file.bmp").string(), {}}; }},
      {"Directory", [](Folder folder) { return Laid{folder.string(), {}}; }},
      // Both platforms refuse these before reading the file.
      {"TrailingSeparatorAfterAFile",
       [](Folder folder) {
         const std::string file = refused_paths::ThroughFile(folder);
         return Laid{file + static_cast<char>(std::filesystem::path::preferred_separator), file};
       }},
      {"NameBelowAFile",
       [](Folder folder) {
         const std::string file = refused_paths::ThroughFile(folder);
         return Laid{(std::filesystem::path(file) / "inner.bmp").string(), file};
       }},
  };
}

}  // namespace varne::test
