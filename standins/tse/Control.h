// Failure injection: the control file "TSE_CONTROL.TXT" at the mount point
// (format in README.md). Read on every call so a test can change it while
// the register runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace worm {

struct Injection {
    int code = 0;
    bool after = false; // do the work, then report the code
};

class Control {
public:
    // Reads the file; a missing or unreadable file means "no injections".
    explicit Control(const std::filesystem::path &mountPoint);

    bool deviceMissing() const { return missing_; }
    std::optional<uint64_t> capacity() const { return capacity_; }
    std::optional<uint32_t> expiration() const { return expiration_; }

    // The injection for this call, if any; counted lines are used up here.
    std::optional<Injection> take(std::string_view function);

private:
    std::filesystem::path file_;
    std::string text_;
    bool missing_ = false;
    std::optional<uint64_t> capacity_;
    std::optional<uint32_t> expiration_;
};

// Code by number or by name ("ERROR_STORE_FULL", "TIMEOUT", ...); -1 if unknown.
int parseErrorCode(std::string_view token);

} // namespace worm
