#include "convert/OutputPathRules.h"

std::string GetFileNamePart(const std::string& path, LeadByteTest isLeadByte) {
  const std::size_t slash = FindLastOf(path, "\\", isLeadByte);
  return slash == std::string::npos ? std::string() : path.substr(slash);
}

std::string BrowseInitialFolder(const std::string& outputFile) {
  const std::size_t slash = outputFile.rfind('\\');
  return slash == std::string::npos ? std::string(".") : outputFile.substr(0, slash);
}

std::string WavNameFor(const std::string& chosen, LeadByteTest isLeadByte) {
  const std::size_t slash = FindLastOf(chosen, "\\", isLeadByte);
  const std::size_t dot = FindLastOf(chosen, ".", isLeadByte);
  const bool dotInFileName = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (dotInFileName ? chosen.substr(0, dot) : chosen) + ".wav";
}
