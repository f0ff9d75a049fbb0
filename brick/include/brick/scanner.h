#pragma once

#include <cstdint>

#include "brick/brick_export.h"

/// Token scanners over counted text buffers, fixed-slot buffer writers and
/// path splitting.  Space characters are bytes 0 to 32 and 127; special
/// characters as `isSpecialChar`; whitespace (for `move2Space` and
/// `skipSpaces`) is tab, line feed, form feed, carriage return and space.
/// No scanner reads outside [start, length).  A forward scanner that finds
/// nothing returns the data length it was given, a backward one -1.
/// Thread use: any thread.  Nothing throws.
namespace brick {

/// Largest token the token copiers write, without its NUL.
constexpr unsigned kMaxTokenChars = 100;

/// First position at or after a_uiStart where the word's characters match
/// non-space data followed by a space character or the end of the data.
/// \returns that position; a_uiDataLen when there is none, for null or empty
///          arguments, or when the word is longer than the rest.
BRICK_API uint32_t findtoken(const char *a_cpData, uint32_t a_uiDataLen, uint32_t a_uiStart,
                             const char *a_cpWord);

/// Skips space characters (and special characters when a_bSpecial) from
/// a_uiStart, then copies into a_cpOut until a space character, a special
/// character (when a_bSpecial), a byte of a_cpDelims (may be null), a_uiEnd
/// or 100 copied characters.
/// \param a_cpData   the text.
/// \param a_uiEnd    index where scanning stops.
/// \param a_uiStart  index where scanning starts.
/// \param a_cpOut    at least 101 bytes; NUL-terminated.
/// \param a_cpDelims further stop bytes, or null.
/// \param a_bSpecial special characters (`isSpecialChar`) also separate tokens.
/// \returns the index where copying stopped, or a_uiEnd.
BRICK_API uint32_t nexttoken(const char *a_cpData, uint32_t a_uiEnd, uint32_t a_uiStart, char *a_cpOut,
                             const char *a_cpDelims, bool a_bSpecial);

/// The run of non-space characters that ends at the last non-space
/// character at or before a_uiPosition (first 100 characters of it copied
/// into a_cpOut, at least 101 bytes, NUL-terminated).
/// \returns the start index of the run; a_uiLength when there is none or the
///          arguments are bad (a_cpOut then empty).
/// Over "abc def": from index 6 it yields "def" and 4, from index 2 "abc" and 0.
BRICK_API uint32_t pretoken(const char *a_cpData, uint32_t a_uiLength, uint32_t a_uiPosition, char *a_cpOut);

/// First index at or after a_uiStart whose byte is in a_cpSet; a_cFound is
/// that byte (0 when none).  \returns the index, or a_uiLength.
BRICK_API uint32_t nextchar(const char *a_cpData, uint32_t a_uiLength, uint32_t a_uiStart,
                            const char *a_cpSet, char &a_cFound);

/// First index at or after a_uiStart that is not a space character (nor a
/// special character when a_bSpecial).  \returns the index, or a_uiLength.
BRICK_API uint32_t nextchar(const char *a_cpData, uint32_t a_uiLength, uint32_t a_uiStart, bool a_bSpecial);

/// First index at or after a_uiStart holding a special character; a_cFound
/// is it (0 when none).  \returns the index, or a_uiLength.
BRICK_API uint32_t firstSC(const char *a_cpData, uint32_t a_uiLength, uint32_t a_uiStart, char &a_cFound);

/// Skips bytes of a_cpDelims from a_iStart, then copies the following run of
/// other bytes (its first 100 characters; a_cpOut at least 101 bytes,
/// NUL-terminated); a_cFound is the delimiter that ended the run (0 at the
/// end of the data).
/// \returns the index of that delimiter, or a_iLength at the end; -1 when
///          only delimiters follow or for bad arguments.
BRICK_API int extracttoken(const char *a_cpData, int a_iLength, int a_iStart, const char *a_cpDelims,
                           char *a_cpOut, char &a_cFound);

/// `findbackcharB` over the whole NUL-terminated text.
BRICK_API int findbackcharA(const char *a_cpText, char a_c, int a_iSkip);

/// Last index holding a_c, searching backwards from a_iLength - a_iSkip - 1
/// down to 0.  \returns the index; -1 when there is none, for null text, or
///          when a_iSkip is negative or not below a_iLength.
BRICK_API int findbackcharB(const char *a_cpText, int a_iLength, char a_c, int a_iSkip);

/// Advances to the first NUL, whitespace or a_cStop character.  \returns a
/// pointer to it (null for null text).
BRICK_API const char *move2Space(const char *a_cpText, char a_cStop);
/// As above for writable text.
BRICK_API char *move2Space(char *a_cpText, char a_cStop);

/// Advances past whitespace.  \returns a pointer to the first other byte (null for null text).
BRICK_API const char *skipSpaces(const char *a_cpText);
/// As above for writable text.
BRICK_API char *skipSpaces(char *a_cpText);

/// Copies a text into a buffer of a_uiSize bytes, always NUL-terminated:
/// whole when it fits; otherwise, when a_cpEnding is non-empty and shorter
/// than the buffer, the first (size - ending length - 1) characters and the
/// ending ("..." style); otherwise the first size - 1 characters.
/// \returns a_cpOut; null for null out or text, or a size of 0.
BRICK_API char *adjustText(char *a_cpOut, uint32_t a_uiSize, const char *a_cpText, const char *a_cpEnding);

/// Writes a text into the fixed-width slot [a_uiPosition, a_uiPosition +
/// a_uiWidth) of an existing buffer of a_uiOutSize bytes.
///
/// The slot is cut to the buffer (less one byte for the NUL when
/// a_bTerminate).  A shorter text is padded with a_cFill after it
/// (a_bLeftAlign) or before it; a longer one is cut to the width.  With
/// a_bTerminate a NUL follows the slot.
/// \returns false for null out or text, or a position outside the buffer;
///          true otherwise (nothing is written for width 0 or an empty text).
/// OverwriteTxt(buf, 16, 0, "12", 5, true, false, '0') writes "00012".
BRICK_API bool OverwriteTxt(char *a_cpOut, uint32_t a_uiOutSize, uint32_t a_uiPosition, const char *a_cpText,
                            uint32_t a_uiWidth, bool a_bTerminate, bool a_bLeftAlign, char a_cFill);

/// `OverwriteTxt` with the value formatted by "%d".
BRICK_API bool OverwriteInt(char *a_cpOut, uint32_t a_uiOutSize, uint32_t a_uiPosition, int a_iValue,
                            uint32_t a_uiWidth, bool a_bTerminate, bool a_bLeftAlign, char a_cFill);

/// Splits a path at its last '\\' (or, when it has none, its last '/').
/// a_cpDir gets the part before it (plus the separator when a_bKeepSeparator),
/// with every separator turned into '/' (a_bForwardSlashes) or '\\';
/// a_cpFile (may be null) the part after it.  Without a separator a_cpDir is
/// empty and a_cpFile the whole path.  Both need strlen(path) + 1 bytes.
/// \returns the separator's index; -1 without one, or for a null path or
///          dir, or an empty path (outputs emptied where given).
BRICK_API int splitPath(const char *a_cpPath, char *a_cpDir, char *a_cpFile, bool a_bForwardSlashes,
                        bool a_bKeepSeparator);

/// Splits a file name at its last '.': a_cpBase (strlen(name) + 1 bytes)
/// gets the part before it; a_cpExt (may be null) the part after it when
/// that fits in a_uiExtSize - 1 characters, else an empty text.
/// \returns false for null name or base, an empty name, a_cpExt given with
///          a_uiExtSize below 2, or a name without '.'.
BRICK_API bool splitFile(const char *a_cpName, char *a_cpBase, char *a_cpExt, unsigned a_uiExtSize);

} // namespace brick
