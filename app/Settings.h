// Where each setting lives: registry key, sections and value names.
#pragma once

namespace settings {
constexpr const char kRegistryKey[] = "Travenor";

constexpr const char kOptionSection[] = "Option";
constexpr const char kOutputFileKey[] = "output_cut_file";

constexpr const char kSetupSection[] = "Setup";
constexpr const char kFirstUpdateKey[] = "t_first_update";
constexpr const char kFullscreenKey[] = "g_bFullscreen";
}  // namespace settings
