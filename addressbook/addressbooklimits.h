#pragma once

#include <cstddef>
#include <cstdint>

// Bounds that keep the reader's memory proportional to the contacts it finds,
// whatever the file holds.
constexpr uint64_t kMaxAddressBookBytes = uint64_t{256} << 20;
constexpr size_t kReadChunkBytes = 64 * 1024;
// A kept value (a name, a number) longer than this is cut here and ends with
// kCutMark, which no name or number may hold, so the contact is skipped with a
// reason rather than imported altered.
constexpr size_t kMaxValueChars = 64 * 1024;
constexpr char16_t kCutMark = u'\uFFFD';
