#pragma once

#include <cstddef>
#include <cstdint>

// Bounds that keep the reader's time linear in the file and its memory
// proportional to the contacts it finds, whatever the file holds, so that the
// 32-bit build always finishes: a contact found holds at most about 1 KB while
// it is read and planned (less for the short records a hostile file has the
// most of), so 100,000 of them stay near 100 MB.
constexpr uint64_t kMaxAddressBookBytes = uint64_t{64} << 20;
constexpr size_t kMaxContacts = 100000;
constexpr size_t kReadChunkBytes = 64 * 1024;
// A kept value (a name, a number) longer than this is cut here and ends with
// kCutMark, which no name or number may hold, so the contact is skipped with a
// reason rather than imported altered.
constexpr size_t kMaxValueChars = 64 * 1024;
constexpr char16_t kCutMark = u'\uFFFD';
// Telephones kept of one contact; a contact with more is hostile or absurd.
constexpr size_t kMaxPhones = 32;
