#pragma once
// The payload archive layout, shared by the reader and the writer so that the
// writer never produces what the reader rejects.
//
//   float32 version (1.0) | uint8 count | count x entry
//   entry: uint8 name length | name (code page 1252) | uint64 stored size | zlib stream
#include <cstdint>

namespace installlib {

constexpr float kVxiVersion = 1.0f;
constexpr int kVxiHeaderSize = 5;
constexpr int kVxiMaxEntries = 127;
constexpr int kVxiMaxNameLength = 127;
constexpr int kVxiSizeFieldSize = 8;
// Positions are 32-bit signed in the format: every byte of an archive must lie below 2 GiB.
constexpr int64_t kVxiMaxArchiveSize = 0x7FFFFFFF;

}  // namespace installlib
