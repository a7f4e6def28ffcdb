#pragma once

#include <cstdint>

// What the program and a helper (kvoview-metafile, kvoview-decode) started
// with --serve say to each other on the helper's stdin and stdout, one
// request after another.
// Both ends run on the same machine, so numbers travel in its own byte order.
namespace HelperProtocol {

enum Kind : std::uint32_t {
    // kvoview-metafile
    DrawWmf = 1,
    DrawEmf = 2,
    MeasureWmf = 3,
    // kvoview-decode: the picture's size as two numbers (width, height), or
    // the picture scaled to exactly the size asked, as premultiplied ARGB32.
    MeasureAvif = 10,
    MeasureHeif = 11,
    MeasureJxl = 12,
    DecodeAvif = 20,
    DecodeHeif = 21,
    DecodeJxl = 22,
};

// Followed by `length` bytes of the file. Width and height are 0 when measuring.
struct Request {
    char magic[4] = {'K', 'V', 'M', 'Q'};
    std::uint32_t kind = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t cpuMs = 0;  // processor time this request may take
    std::uint32_t reserved = 0;
    std::uint64_t length = 0;
};

// Followed by `length` bytes: the pixels, or the extent's line. A helper
// that cannot answer says so with status Refused and length 0, then exits.
struct Answer {
    char magic[4] = {'K', 'V', 'M', 'A'};
    std::uint32_t status = 0;
    std::uint64_t length = 0;
};

enum Status : std::uint32_t { Done = 0, Refused = 1 };

static_assert(sizeof(Request) == 32 && sizeof(Answer) == 16);

}  // namespace HelperProtocol
