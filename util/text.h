// Small operations on byte strings and buffers: searching a text for another
// from the front or the back, comparing at a position, filling, a binary
// search over sorted fixed-size records, an accent-blind comparison, a blank
// test, removing quotes, inserting a character, an array of equal buffers and
// the scrambling of an eight-character code.
//
// Texts are zero-terminated byte strings, one byte a character, in
// Windows-1250. Positions are 0-based; a failed search gives -1. Buffers are
// the caller's unless an operation says it allocates. A null text never
// matches, is never blank and is left alone. See docs/text.md.
#pragma once

#include <cstddef>

// Compares text and needle byte by byte from their starts while the bytes
// agree and neither has ended. Returns the number m of agreeing bytes when
// m >= n, else -1. With n the needle's length this says whether the whole
// needle stands at the start of text.
int matchAt(const char* text, const char* needle, int n);

// The first position of needle in text, or -1. The empty needle is found at 0
// in any non-empty text; in the empty text nothing is found.
int findText(const char* needle, const char* text);

// The last position of needle in text, or -1. The empty needle gives the
// text's length.
int findLast(const char* needle, const char* text);

// Sets `count` bytes from buffer's start to value; nothing is terminated. A
// count of 0 or less writes nothing.
void fillBytes(char* buffer, int count, char value);

// Searches the records 0 .. lastIndex, stored contiguously from base, each
// recordSize bytes long and sorted ascending by the key that starts at
// keyOffset in each record. Keys compare over at most keyLength bytes as
// zero-terminated byte strings in unsigned byte order. Returns the index of a
// record whose key equals `key`, or -1. With several equal keys the one the
// halving probes meet first is returned. An empty range (lastIndex < 0), a
// null base or key, or a key that does not lie inside the record gives -1.
int binarySearch(const void* base, int keyOffset, int keyLength, int recordSize, int lastIndex,
                 const char* key);

// Compares two texts byte by byte in unsigned order after sending each byte
// through the Windows-1250 collation weights, so that accented vowels weigh
// as their plain letters. Case is not folded. Negative, zero or positive as a
// sorts before, with or after b. A null text compares as the empty text.
int compareFolded(const char* a, const char* b);

// 1 when every byte of text is a blank (0x20), the empty text included; else
// 0. Tabs are not blanks.
int isBlank(const char* text);

// When text has at least two characters, begins with a double or single
// quotation mark and ends with either of them, removes the two in place and
// returns the new length; otherwise leaves text alone and returns 0. Two
// quotation marks alone leave the empty text and return 0.
int unquote(char* text);

// Puts `character` at `position` of text and moves the rest, terminator
// included, one place to the right; at the text's length it appends. The
// caller's buffer must hold the text's length plus 2 bytes. A position
// outside 0 .. length leaves text alone. Returns text.
char* insertChar(char* text, int position, char character);

// Allocates an array of `count` pointers to buffers of `size` bytes each. When
// memory runs out the process ends at once with exit code 99. Release the
// result with freeBuffers only.
char** allocBuffers(std::size_t count, std::size_t size);
// Releases the `count` buffers of an allocBuffers array, then the array.
void freeBuffers(char** buffers, std::size_t count);

// The length of a scrambled code, and the buffer size the two operations
// below need (the code plus its terminator).
inline constexpr int CODE_LENGTH = 8;
inline constexpr int CODE_BUFFER_SIZE = CODE_LENGTH + 1;

// Pads text with blanks to 8 characters, then scrambles its first 8 bytes in
// place with a fixed key; bytes behind the eighth stay. The buffer must hold
// CODE_BUFFER_SIZE bytes. A code of printable characters never scrambles to a
// zero byte. Returns text.
char* scrambleCode(char* text);
// Restores the first 8 bytes (stopping at a zero byte), ends the text at 8
// characters and removes its leading and trailing blanks. The buffer must
// hold CODE_BUFFER_SIZE bytes. Returns text.
char* unscrambleCode(char* text);
