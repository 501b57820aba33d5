#include "winfw/portable/ModulePath.h"

namespace {
size_t FileNameStart(const std::string& path, LeadByteTest isLeadByte) {
  const size_t slash = FindLastOf(path, "\\/", isLeadByte);
  return slash == std::string::npos ? 0 : slash + 1;
}

size_t ExtensionStart(const std::string& path, LeadByteTest isLeadByte) {
  const size_t dot = FindLastOf(path, ".", isLeadByte);
  return dot == std::string::npos || dot < FileNameStart(path, isLeadByte) ? path.size() : dot;
}
}  // namespace

std::string ModuleBaseName(const std::string& path, LeadByteTest isLeadByte) {
  const size_t start = FileNameStart(path, isLeadByte);
  return path.substr(start, ExtensionStart(path, isLeadByte) - start);
}

std::string ReplaceExtension(const std::string& path, const std::string& ext, LeadByteTest isLeadByte) {
  return path.substr(0, ExtensionStart(path, isLeadByte)) + ext;
}

std::string DirectoryWithBackslash(const std::string& path, LeadByteTest isLeadByte) {
  const size_t slash = FindLastOf(path, "\\", isLeadByte);
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
