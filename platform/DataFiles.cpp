#include "DataFiles.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "BuildInfo.h"

namespace {

// The running program's own file, links resolved; empty when unknown.
std::string executablePath() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

// Whether `path` lies inside the folder `folder`, both compared as they are
// on disk (links resolved).
bool liesInside(const std::filesystem::path& path, const std::string& folder) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(folder, error);
  if (error || resolved.empty()) return false;
  const std::filesystem::path relative = path.lexically_relative(resolved);
  return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

std::vector<std::string> dataFolders(const std::string& executable, const std::string& dataFromBin,
                                     const std::string& buildTree, const std::string& sourceData) {
  std::vector<std::string> folders = {""};
  if (executable.empty()) return folders;
  const std::filesystem::path program(executable);
  folders.push_back((program.parent_path() / dataFromBin).lexically_normal().string());
  if (liesInside(program, buildTree)) folders.push_back(sourceData);
  return folders;
}

std::vector<std::string> programDataFolders() {
  return dataFolders(executablePath(), CAVEL_DATA_FROM_BIN, CAVEL_BUILD_DIR, CAVEL_SOURCE_DATA_DIR);
}

std::optional<std::string> findDataFile(const std::string& name,
                                        const std::vector<std::string>& folders) {
  const std::vector<std::string> found = findDataFiles(name, folders);
  if (found.empty()) return std::nullopt;
  return found.front();
}

std::vector<std::string> findDataFiles(const std::string& name,
                                       const std::vector<std::string>& folders) {
  std::vector<std::string> found;
  for (const std::string& folder : folders) {
    const std::string path = folder.empty() ? name : folder + "/" + name;
    if (access(path.c_str(), F_OK) == 0) found.push_back(path);
  }
  return found;
}

std::string describeFolders(const std::vector<std::string>& folders) {
  std::string text;
  for (const std::string& folder : folders) {
    if (!text.empty()) text += ", ";
    text += folder.empty() ? "the working directory" : folder;
  }
  return text;
}
