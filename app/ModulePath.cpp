#include "app/ModulePath.h"

namespace {
size_t FileNameStart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? 0 : slash + 1;
}

size_t ExtensionStart(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  return dot == std::string::npos || dot < FileNameStart(path) ? path.size() : dot;
}
}  // namespace

std::string ModuleBaseName(const std::string& path) {
  const size_t start = FileNameStart(path);
  return path.substr(start, ExtensionStart(path) - start);
}

std::string ReplaceExtension(const std::string& path, const std::string& ext) {
  return path.substr(0, ExtensionStart(path)) + ext;
}

std::string DirectoryWithBackslash(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
