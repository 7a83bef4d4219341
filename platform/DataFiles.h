// Where the window program finds the files it reads at run time (font.bmp,
// icon.bmp): the working directory first, then the data folder of its
// install, found from where the program itself lies so that a moved install
// still works, then the source tree's data/ for a program that stays in its
// build tree.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The folders to look in, in order, for the program at `executable` (a path
// with links resolved; empty when unknown): "" for the working directory,
// then `dataFromBin` taken from the program's folder, then `sourceData` when
// the program lies inside `buildTree`.
std::vector<std::string> dataFolders(const std::string& executable, const std::string& dataFromBin,
                                     const std::string& buildTree, const std::string& sourceData);

// dataFolders for this process, with what the build recorded.
std::vector<std::string> programDataFolders();

// The path of `name` in the first of `folders` that holds it ("font.bmp"
// itself for the working directory), or nothing.
std::optional<std::string> findDataFile(const std::string& name,
                                        const std::vector<std::string>& folders);

// The paths of `name` in every one of `folders` that holds something of that
// name, in their order: for a caller that passes over what it cannot use.
std::vector<std::string> findDataFiles(const std::string& name,
                                       const std::vector<std::string>& folders);

// "the working directory, /opt/cavel/share/cavel": the folders, for messages.
std::string describeFolders(const std::vector<std::string>& folders);
