#pragma once
// Names of FAT directory entries: 8.3 names in code page 936, long-name pieces, their checksum.

#include <cstdint>

// The character of a code page 936 code (one byte 0x80..0xFF or a lead/trail pair), 0 when the
// code has none.
char16_t fat_cp936_char(uint16_t code);

// Decodes the 11 name bytes of entry (with the case flags of byte 12) as "NAME.EXT" into out,
// NUL-terminated. Returns the number of units written.
int fat_decode_short_name(const uint8_t *entry, char16_t out[13]);

// Checksum of the 11 name bytes that ties long-name pieces to their short entry.
uint8_t fat_short_name_checksum(const uint8_t *name);

// Stores the 13 characters of a long-name piece at its place in buf (256 units). False when the
// piece is malformed or lies beyond the buffer (as every deleted piece does).
bool fat_take_lfn_piece(char16_t *buf, const uint8_t *entry);
