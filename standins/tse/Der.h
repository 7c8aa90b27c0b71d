// Minimal DER writer for the few types a log message needs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace worm::der {

using Bytes = std::vector<unsigned char>;

enum Tag : unsigned char {
    Integer = 0x02,
    OctetString = 0x04,
    ObjectId = 0x06,
    PrintableString = 0x13,
    Sequence = 0x30,
};

// Context-specific primitive tag [n] for IMPLICIT fields.
constexpr unsigned char context(unsigned n) { return static_cast<unsigned char>(0x80 | n); }

inline void append(Bytes &out, const Bytes &more) { out.insert(out.end(), more.begin(), more.end()); }

inline Bytes tlv(unsigned char tag, const unsigned char *data, size_t size)
{
    Bytes out{tag};
    if (size < 0x80) {
        out.push_back(static_cast<unsigned char>(size));
    } else {
        unsigned char len[sizeof(size_t)];
        int n = 0;
        for (size_t s = size; s; s >>= 8)
            len[n++] = static_cast<unsigned char>(s & 0xff);
        out.push_back(static_cast<unsigned char>(0x80 | n));
        while (n)
            out.push_back(len[--n]);
    }
    out.insert(out.end(), data, data + size);
    return out;
}

inline Bytes tlv(unsigned char tag, const Bytes &content) { return tlv(tag, content.data(), content.size()); }

inline Bytes text(unsigned char tag, std::string_view s)
{
    return tlv(tag, reinterpret_cast<const unsigned char *>(s.data()), s.size());
}

// Non-negative integers only: minimal big-endian, with a leading zero when
// the top bit would otherwise read as a sign.
inline Bytes integer(uint64_t v, unsigned char tag = Integer)
{
    Bytes content;
    do {
        content.insert(content.begin(), static_cast<unsigned char>(v & 0xff));
        v >>= 8;
    } while (v);
    if (content.front() & 0x80)
        content.insert(content.begin(), 0);
    return tlv(tag, content);
}

// Dotted form, e.g. "0.4.0.127.0.7.3.7.1.1"; callers pass constants.
inline Bytes oid(std::string_view dotted)
{
    std::vector<uint64_t> arcs;
    uint64_t cur = 0;
    for (char c : dotted) {
        if (c == '.') {
            arcs.push_back(cur);
            cur = 0;
        } else {
            cur = cur * 10 + static_cast<uint64_t>(c - '0');
        }
    }
    arcs.push_back(cur);
    Bytes content;
    auto base128 = [&content](uint64_t v) {
        unsigned char tmp[10];
        int n = 0;
        do {
            tmp[n++] = static_cast<unsigned char>(v & 0x7f);
            v >>= 7;
        } while (v);
        while (n > 1)
            content.push_back(static_cast<unsigned char>(tmp[--n] | 0x80));
        content.push_back(tmp[0]);
    };
    base128(arcs[0] * 40 + arcs[1]);
    for (size_t i = 2; i < arcs.size(); ++i)
        base128(arcs[i]);
    return tlv(ObjectId, content);
}

} // namespace worm::der
