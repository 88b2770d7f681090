// Path rules. Paths are byte strings; a folder path always ends with the
// separator. Identity of paths is the platform's: case-insensitive in the
// user's locale on Windows, exact bytes on POSIX.
#pragma once
#include <string>
#include <string_view>

namespace zw::platform {

#ifdef _WIN32
constexpr char kPathSep = '\\';
constexpr bool kCaseInsensitivePaths = true;
#else
constexpr char kPathSep = '/';
constexpr bool kCaseInsensitivePaths = false;
#endif

// True for the separator; on Windows "/" counts as well.
bool IsPathSep(char c);
// "a/b" -> "a/b/"; an empty path stays empty.
std::string IncludeTrailingSep(std::string_view path);
// "a/b/" -> "a/b"; a root ("/" or "C:\") keeps its separator.
std::string ExcludeTrailingSep(std::string_view path);
// The part after the last separator (and on Windows after a drive colon).
std::string ExtractFileName(std::string_view path);
// The part up to and including the last separator.
std::string ExtractFilePath(std::string_view path);
// The extension with its dot ("x.tar.gz" -> ".gz"); empty when there is none.
std::string ExtractFileExt(std::string_view path);
// Joins a folder and a name with exactly one separator between them.
std::string JoinPath(std::string_view folder, std::string_view name);

// Lower case in the user's locale (Windows: CharLowerBuff in the ANSI code
// page; POSIX: ASCII letters, other bytes unchanged, which keeps UTF-8 intact).
std::string LowerText(std::string_view text);
// ASCII-only lower and upper case.
std::string LowerAscii(std::string_view text);
char UpperAscii(char c);

// The key under which the platform considers two paths the same:
// LowerText on Windows, the bytes themselves on POSIX.
std::string PathKey(std::string_view path);
bool SamePath(std::string_view a, std::string_view b);
// True when `inner` lies in or below folder `outer` (both with trailing
// separators), by platform path identity.
bool IsPathBelow(std::string_view inner, std::string_view outer);

// Full absolute form of a path ("." and ".." resolved textually, relative
// paths made absolute against the current folder). Empty on failure.
std::string FullPath(std::string_view path);

}  // namespace zw::platform
