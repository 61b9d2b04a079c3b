// File names as the filesystems that ignore case compare them. exFAT and NTFS upper-case each
// character; others fold it to lower case; servers of shared folders (and ext4's casefold
// folders) fold case fully, so that "straße" is "STRASSE" and "ﬁle" is "FILE", and take the
// composed and decomposed forms of a letter for one ("é" as one character or as "e" and an
// accent). The key here is the same for two names whenever any of them would take the names
// for one: it can err only towards taking two names for one.
#pragma once

#include <string>
#include <string_view>

namespace quellmark {

// Name (UTF-8) with each character folded to lower case after upper-casing, then fully case
// folded, in canonical decomposed order. Bytes that are not UTF-8 stand for themselves, apart
// from every character.
std::u32string CaselessKey(std::string_view Name);

// The same key as bytes, to sit beside other keys in a string.
std::string CaselessKeyBytes(std::string_view Name);

}  // namespace quellmark
