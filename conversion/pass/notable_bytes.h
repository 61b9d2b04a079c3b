// The fast search of the toggle scan: where in a stretch of record lines something other than
// a plain copy may be needed.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace quellmark {

// The index of the first byte of Bytes that begins " 279 " or is a CR not known to be followed
// by an LF (a lone CR, or one at the very end); Bytes.size() if there is none. A toggle line
// always holds " 279 " (its first two tokens and the separator after them), so a CR LF line
// without it is copied as it stands. A " 279 " cut off by the end of Bytes is not seen: it lies
// in the last, unfinished line.
std::size_t FindNotableByte(std::string_view Bytes);

// The ways of scanning: a byte at a time, or 64 bytes at a time with SSE2 or AVX2.
enum class ByteScan { Plain, Sse2, Avx2 };

// The scans this processor can run, the fastest last. FindNotableByte uses the fastest.
std::vector<ByteScan> SupportedByteScans();

// Makes FindNotableByte use Scan from now on (one of the supported ones), so that each can be
// checked on a machine that has a faster one.
void UseByteScan(ByteScan Scan);

}  // namespace quellmark
