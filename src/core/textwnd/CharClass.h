#pragma once

namespace tovan::charclass {

// The traffic window holds single-byte text in ISO 8859-1 (Latin-1), the byte set that maps one
// to one onto the first 256 Unicode code points. The classes below are fixed rather than taken
// from the C runtime's current locale, so the window behaves the same whatever LANG says and no
// global locale is switched while a key is handled.

// Printable: 0x20-0x7E and 0xA0-0xFF. Control bytes, DEL and the C1 range 0x80-0x9F are not.
bool isPrintable(unsigned char b);

// The blank that separates words: the space (0x20) and the no-break space (0xA0).
bool isSpace(unsigned char b);

// Letters and digits: ASCII ones plus the Latin-1 letters (ª µ º, À-Ö, Ø-ö, ø-ÿ).
bool isAlnum(unsigned char b);

} // namespace tovan::charclass
