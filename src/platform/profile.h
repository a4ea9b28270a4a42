// The private-profile calls: settings kept in an INI file, read and written one key at a time.
//
// The semantics are those of the classic calls the program was written against:
// - section and key names are compared without regard to case;
// - a missing or unreadable file behaves as a file without keys;
// - blanks around the key and the value are not part of them; a value enclosed in a pair of double
//   (or single) quotation marks is returned without the marks and with its inner blanks, which is
//   how a value such as " " is kept;
// - lines beginning with ";" are comments;
// - a write changes or adds one line and keeps everything else of the file as it was (other
//   sections and keys, comments, blank lines, order, line ends), and creates the folder and the
//   file when needed. The new file is written beside the old one and renamed over it, so a crash
//   leaves the old or the new file, never a part of one.
// Files are UTF-8. A file name without a folder is looked up in the configuration folder, as the
// classic calls looked in the Windows directory.
#pragma once

#include "platform/host_paths.h"

#include <QString>

#include <optional>

namespace zek::platform {

// The program read every value into a buffer of 300 characters, the terminating zero included.
inline constexpr int ProfileBufferSize = 300;

// The value stored for the key, cut to bufferSize - 1 characters; nothing when the section or the
// key is missing. A key written as "Key=" is present with the value "".
std::optional<QString> findPrivateProfileString(const QString& section, const QString& key,
                                                const QString& fileName, int bufferSize = ProfileBufferSize,
                                                HostError* error = nullptr);

// The value stored for the key, or defaultValue when the key is missing; either is cut to
// bufferSize - 1 characters. `error` (when given) reports a file that exists but cannot be read.
QString getPrivateProfileString(const QString& section, const QString& key, const QString& defaultValue,
                                const QString& fileName, int bufferSize = ProfileBufferSize,
                                HostError* error = nullptr);

// The number at the start of the value: optional blanks, an optional sign, decimal digits; what
// follows the digits is ignored. defaultValue when the key is missing or its value is empty; 0 when
// the value does not begin with a number. Values beyond the int range are clamped.
int getPrivateProfileInt(const QString& section, const QString& key, int defaultValue,
                         const QString& fileName);

// Whether a value written with writePrivateProfileString reads back whole with the default buffer:
// no line break or zero character, no half of a character (it would be stored as another one), and
// shorter than ProfileBufferSize.
bool isStorableProfileValue(const QString& value);

// Sets the key to value, adding the section and the key when missing. False, with the reason in
// `error`, when the names or the value cannot be stored in an INI line (a line break in any of them,
// "]" in the section, "=" in the key, a key beginning with ";" or "[") or when the file system
// refuses; the file is then left as it was. A value with blanks at either end, or one enclosed in a
// pair of quotation marks, is written within double quotation marks so that it reads back unchanged.
// Unlike the classic call, a null value does not delete the key: it is written as "".
bool writePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& fileName, HostError* error = nullptr);

} // namespace zek::platform
