// The shelf: the puzzles of the collection as the board size screen's list
// shows them, read from one folder of puzzle files and sorted by name.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/BoardState.h"
#include "puzzle/PuzzleFile.h"
#include "puzzle/PuzzleInfo.h"

struct Shelf {
  struct Entry {
    std::string path;
    std::string name;  // Latin-1: the file's name item, else its file name without .txt
    BoardState board;
    PuzzleInfo info;
  };
  // A file of the folder that is no puzzle the editor can open.
  struct PassedOver {
    std::string path;
    PuzzleError error;
  };

  std::vector<Entry> entries;          // by name, letters of either case alike; then by path
  std::vector<PassedOver> passedOver;  // by path
};

// The puzzles of the files ending in ".txt" directly in `folder`; an empty
// shelf when the folder cannot be read.
Shelf readShelf(const std::string& folder);

// Where the collection lies among the program's data folders: the
// "puzzles/collection" folder of the first of `dataFolders` that has one.
// The working directory ("") is none of the program's own and is passed
// over, as for the icon.
std::optional<std::string> findShelfFolder(const std::vector<std::string>& dataFolders);

// Whether `a` comes before `b` on the shelf: their Latin-1 names compared
// with upper-case letters (A to Z and the accented ones) taken as lower-case.
bool shelfNameLess(const std::string& a, const std::string& b);
