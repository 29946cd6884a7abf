// SPDX-License-Identifier: MIT
#pragma once
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/DateTime.h"

namespace qm {

// A text too long for the character-walking routines (more than 32,767 characters).
class OverflowError : public std::overflow_error {
public:
    using std::overflow_error::overflow_error;
};

// Small stateless text, date and file routines. File routines throw FileError; the readers
// take regular files only, up to kMaxWholeFileBytes, as every whole-file read does.
class Utility {
public:
    // "$" and nCur as ###,###,##0.00 with the locale's grouping and decimal characters.
    std::string FormatNumber(double nCur) const;
    // nType 1 "dddd, mmm d yyyy", 2 "mm/dd/yy hh:mm:ss AMPM", 3 "m/d/yyyy"; else empty.
    std::string FormatDate(const DateTime& nDate, int nType) const;
    // Doubles every apostrophe. Throws OverflowError above 32,767 characters.
    std::string PrepareSQLString(std::string_view strSQL) const;
    int YearsDifference(const DateTime& varNow, const DateTime& varThen) const;
    std::string ReadFile(const std::string& strFileName) const;
    std::string FileRead(const std::string& strFile) const;
    // Creates or empties strFile and writes strOut followed by CR LF.
    void FileSave(const std::string& strFile, std::string_view strOut) const;
    // The same into the file already open as fd, from its start; strFile names it in errors.
    void FileSave(int fd, const std::string& strFile, std::string_view strOut) const;
    // Everything after the last backslash; a name without one is returned whole.
    std::string StripPathFromFileName(std::string_view strFile) const;
    // Replaces non-overlapping matches left to right; an empty strFrom changes nothing.
    // Throws OverflowError above 32,767 characters.
    std::string ReplaceChars(std::string_view strString, std::string_view strFrom,
                             std::string_view strTo) const;
};

// FormatNumber's text with the given decimal and grouping characters, for any locale.
// NaN and infinities give "$NaN", "$Inf" and "$-Inf".
std::string FormatCurrency(double nCur, std::string_view decimalPoint, std::string_view groupSeparator);
// The separator a strftime format puts between its fields: the first ASCII character that is
// neither a letter nor a digit nor part of a % conversion, else fallback.
std::string FormatSeparator(std::string_view strftimeFormat, std::string_view fallback);

}  // namespace qm
