// File helpers: every state change is written so that a crash leaves either
// the old or the new content.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace worm {

bool readFile(const std::filesystem::path &file, std::string &content);
// Temporary file beside the target, flushed, then renamed over it.
bool writeFileAtomically(const std::filesystem::path &file, std::string_view content);
// Appends and flushes to the disk before returning.
bool appendDurably(const std::filesystem::path &file, std::string_view content);
bool truncateFile(const std::filesystem::path &file, uintmax_t size);

} // namespace worm
