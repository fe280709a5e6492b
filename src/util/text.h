// Byte-string helpers for ANSI text in fixed buffers: bounded copy and append that never
// split a double-byte character, the double-byte aware search, and decimal conversion.
#pragma once

#include <stddef.h>

// True for the first byte of a double-byte character in the system's ANSI code page.
bool isLeadByte(unsigned char byte);

// True for the first byte of a double-byte character in code page 932 (Shift_JIS), the
// code page of the product's text and its users, whatever the system's code page.
bool isLeadByte932(unsigned char byte);

// Copy or append src; always terminates, never writes past dstSize bytes. When src does
// not fit, dst is cut on a character boundary and the result is false.
bool textCopy(char* dst, size_t dstSize, const char* src);
bool textAppend(char* dst, size_t dstSize, const char* src);

// Position of the first ch on a character boundary, or null. ch is a one-byte ASCII
// character; a trail byte is never compared with it.
char* findChar(char* text, char ch);
const char* findChar(const char* text, char ch);

// True when the byte at pos is the trail byte of a double-byte character.
bool endsInsideDbcs(const char* text, size_t pos);

// Appends a backslash unless the text already ends in one (a trail byte 0x5C is not one).
// False, with the text unchanged, when the buffer has no room for it or the text ends in
// a lead byte without its trail byte.
bool ensureTrailingSeparator(char* text, size_t size);

// Leading decimal digits as a 32-bit value, wrapping without an overflow check.
int parseDecimal(const char* text);

// n in decimal into setup.keyBuffer; the text lives until the next call.
const char* formatKey(unsigned int n);

// The position of the last byte equal to '\\', or null. Compares single bytes.
char* lastBackslashByte(char* text, char* end);
