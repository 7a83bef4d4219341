#include "Shelf.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace {

// A Latin-1 letter's lower case: A to Z and the upper-case accented letters
// from 0xC0 to 0xDE, but for the multiplication sign 0xD7.
unsigned char foldedCase(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 'A' && byte <= 'Z') return static_cast<unsigned char>(byte + 0x20);
  if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return static_cast<unsigned char>(byte + 0x20);
  return byte;
}

// The ".txt" files directly in `folder`, by path; none when it cannot be read.
std::vector<std::string> puzzlePaths(const std::string& folder) {
  std::vector<std::string> paths;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::filesystem::path& path = it->path();
    std::error_code typeError;
    if (path.extension() == ".txt" && it->is_regular_file(typeError)) {
      paths.push_back(path.string());
    }
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

bool shelfNameLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return foldedCase(x) < foldedCase(y); });
}

Shelf readShelf(const std::string& folder) {
  Shelf shelf;
  for (const std::string& path : puzzlePaths(folder)) {
    PuzzleInfo info;
    PuzzleError error;
    std::optional<BoardState> board = readPuzzleFile(path, info, error);
    if (!board) {
      shelf.passedOver.push_back({path, error});
      continue;
    }
    std::string name = info.name.empty() ? std::filesystem::path(path).stem().string() : info.name;
    shelf.entries.push_back({path, std::move(name), std::move(*board), std::move(info)});
  }
  // The paths are in order already: a stable sort keeps it among equal names.
  std::stable_sort(
      shelf.entries.begin(), shelf.entries.end(),
      [](const Shelf::Entry& a, const Shelf::Entry& b) { return shelfNameLess(a.name, b.name); });
  return shelf;
}

std::optional<std::string> findShelfFolder(const std::vector<std::string>& dataFolders) {
  for (const std::string& folder : dataFolders) {
    if (folder.empty()) continue;
    const std::filesystem::path collection = std::filesystem::path(folder) / "puzzles/collection";
    std::error_code error;
    if (std::filesystem::is_directory(collection, error)) return collection.string();
  }
  return std::nullopt;
}
