#include "Control.h"

#include "Files.h"

#include <array>
#include <charconv>
#include <sstream>
#include <vector>

namespace worm {

namespace {

constexpr std::array<std::string_view, 12> kErrorNames = {
    "NOERROR",      "INVALID_PARAMETER", "NO_WORM_CARD",     "ERROR_IO",
    "TIMEOUT",      "OUTOFMEM",          "INVALID_RESPONSE", "ERROR_STORE_FULL",
    "RESPONSE_MISSING", "EXPORT_NOT_INITIALIZED", "EXPORT_FAILED", "EXPORT_TOO_MANY_RECORDS",
};

std::string_view trim(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

template <class T> std::optional<T> number(std::string_view s)
{
    T v{};
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || p != s.data() + s.size())
        return std::nullopt;
    return v;
}

struct Line {
    std::string key;
    std::vector<std::string> words;
};

std::optional<Line> parseLine(std::string_view raw)
{
    auto hash = raw.find('#');
    auto s = trim(raw.substr(0, hash));
    auto eq = s.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    Line line{std::string(trim(s.substr(0, eq))), {}};
    std::istringstream value{std::string(s.substr(eq + 1))};
    for (std::string w; value >> w;)
        line.words.push_back(w);
    if (line.key.empty() || line.words.empty())
        return std::nullopt;
    return line;
}

} // namespace

int parseErrorCode(std::string_view token)
{
    if (auto n = number<int>(token))
        return *n;
    if (token.substr(0, 11) == "WORM_ERROR_")
        token.remove_prefix(11);
    for (size_t i = 0; i < kErrorNames.size(); ++i) {
        // "ERROR_IO" and "ERROR_STORE_FULL" are also accepted without "ERROR_".
        if (token == kErrorNames[i] || "ERROR_" + std::string(token) == kErrorNames[i])
            return static_cast<int>(i);
    }
    return -1;
}

Control::Control(const std::filesystem::path &mountPoint) : file_(mountPoint / "TSE_CONTROL.TXT")
{
    if (!readFile(file_, text_))
        return;
    std::istringstream in(text_);
    for (std::string raw; std::getline(in, raw);) {
        auto line = parseLine(raw);
        if (!line)
            continue;
        const auto &v = line->words.front();
        if (line->key == "device")
            missing_ = missing_ || v == "missing";
        else if (line->key == "capacity")
            capacity_ = number<uint64_t>(v);
        else if (line->key == "expiration")
            expiration_ = number<uint32_t>(v);
    }
}

std::optional<Injection> Control::take(std::string_view function)
{
    std::istringstream in(text_);
    std::string rewritten;
    std::optional<Injection> found;
    bool changed = false;
    for (std::string raw; std::getline(in, raw);) {
        auto line = found ? std::nullopt : parseLine(raw);
        if (!line || (line->key != function && line->key != "*")) {
            rewritten += raw + '\n';
            continue;
        }
        Injection inj;
        inj.code = parseErrorCode(line->words.front());
        std::optional<long> times;
        for (size_t i = 1; i < line->words.size(); ++i) {
            const auto &w = line->words[i];
            if (w == "after")
                inj.after = true;
            else if (w.size() > 1 && w[0] == 'x')
                times = number<long>(std::string_view(w).substr(1));
        }
        if (inj.code < 0 || (times && *times <= 0)) {
            rewritten += raw + '\n';
            continue;
        }
        found = inj;
        if (times) {
            changed = true;
            if (*times > 1)
                rewritten += line->key + " = " + line->words.front() + " x" + std::to_string(*times - 1) +
                             (inj.after ? " after" : "") + '\n';
        } else {
            rewritten += raw + '\n';
        }
    }
    if (changed) {
        // Best effort: a control file we cannot rewrite keeps failing, which a tester notices.
        writeFileAtomically(file_, rewritten);
        text_ = rewritten;
    }
    return found;
}

} // namespace worm
