#pragma once

#include "brick/brick_export.h"

/// Searching byte strings.  Positions are byte indices; every search returns
/// -1 for null or empty arguments, a negative start or one at or past the
/// end, or no match.  Thread use: any thread.  Nothing throws.
namespace brick {

/// First index at or after a_iStart, below a_iLength, holding a_c.
BRICK_API int findchar(const char *a_cpText, int a_iLength, int a_iStart, char a_c);

/// `findchar` over the whole NUL-terminated text.
BRICK_API int instr_charA(int a_iStart, const char *a_cpText, char a_c);

/// Start of the first occurrence of the needle at or after a_iStart.
/// instrA(0, "aaab", "aab") is 1.
BRICK_API int instrA(int a_iStart, const char *a_cpText, const char *a_cpNeedle);

/// As `instrA` over a counted data run.
BRICK_API int instrB(int a_iStart, const char *a_cpData, int a_iDataLen, const char *a_cpNeedle);

/// As `instrB` with a counted needle.
BRICK_API int instrBB(int a_iStart, const char *a_cpData, int a_iDataLen, const char *a_cpNeedle,
                      int a_iNeedleLen);

/// The same as `instrBB`, arguments in another order.
BRICK_API int findstring(const char *a_cpData, int a_iDataLen, int a_iStart, const char *a_cpNeedle,
                         int a_iNeedleLen);

/// Index just past the first occurrence of the needle at or after a_iStart.
/// findnextA(0, "xxab", "ab") is 4.
BRICK_API int findnextA(int a_iStart, const char *a_cpText, const char *a_cpNeedle);

/// As `findnextA` over a counted data run.
BRICK_API int findnextB(int a_iStart, const char *a_cpData, int a_iDataLen, const char *a_cpNeedle);

/// Occurrences of a_c in the text; 0 for null text or a NUL character.
BRICK_API int countChar(const char *a_cpText, char a_c);

/// Occurrences of a_c in a_cpData[a_iStart, a_iEnd), counted up to 255.
/// \returns 0 for null data, a negative start, an end of 0 or less, or an
///          end before the start.
BRICK_API int getcharcount(const char *a_cpData, int a_iStart, int a_iEnd, char a_c);

/// Field a_iN (0 is the first) of the text split at a_c: the part after the
/// a_iN-th occurrence up to the next one (or the NUL), copied NUL-terminated
/// into a_cpOut (strlen(text) + 1 bytes).
/// \returns the field's start index; -1 when there are fewer fields, for a
///          negative a_iN, null arguments or a NUL separator (out then empty).
/// countPos("a,bc,d", ',', 1, out) writes "bc" and returns 2.
BRICK_API int countPos(const char *a_cpText, char a_c, int a_iN, char *a_cpOut);

/// Whether the text matches the pattern, where '*' stands for any run of
/// characters (also none) and '?' for exactly one.  Both are NUL-terminated;
/// null gives false.  ms_isApplicable("*.txt", "a.txt") is true.
BRICK_API bool ms_isApplicable(const char *a_cpPattern, const char *a_cpText);

/// True when the first a_iLength characters of the pattern are all '*';
/// false for null or a length of 0 or less.
BRICK_API bool ms_isAppearAll(const char *a_cpPattern, int a_iLength);

} // namespace brick
