// Path rules. Paths are byte strings; a folder path always ends with the
// separator. Identity of paths is the platform's: case-insensitive in the
// user's locale on Windows, exact bytes on POSIX.
//
// Windows: "\" and "/" both separate, "C:" drive prefixes and
// "\\server\share" roots apply. POSIX: "/" only; "/" is the one root.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace zw::platform {

#ifdef _WIN32
constexpr char kPathSep = '\\';
constexpr bool kCaseInsensitivePaths = true;
// A path mask to start from: every file of a second drive.
constexpr const char* kExamplePathMask = "D:\\*";
#else
constexpr char kPathSep = '/';
constexpr bool kCaseInsensitivePaths = false;
constexpr const char* kExamplePathMask = "/*";
#endif

// True for the separator; on Windows "/" counts as well.
bool IsPathSep(char c);
// "a/b" -> "a/b/"; an empty path stays empty.
std::string IncludeTrailingSep(std::string_view path);
// "a/b/" -> "a/b" (all trailing separators go); a root ("/" or "C:\")
// keeps its separator.
std::string ExcludeTrailingSep(std::string_view path);
// The part after the last separator (and on Windows after a drive colon).
std::string ExtractFileName(std::string_view path);
// The part up to and including the last separator (or drive colon).
std::string ExtractFilePath(std::string_view path);
// The extension with its dot ("x.tar.gz" -> ".gz"), taken from the last dot
// of the name; empty when the name has no dot.
std::string ExtractFileExt(std::string_view path);
// Joins a folder and a name with exactly one separator between them; an
// empty folder gives the name alone.
std::string JoinPath(std::string_view folder, std::string_view name);

// Length of the root part of a path: POSIX "/" -> 1 (0 for a relative
// path); Windows "C:\" -> 3, "C:" -> 2, "\" -> 1, "\\server\share\" -> the
// length up to and including the separator after the share name.
size_t PathRootLength(std::string_view path);
// True for a path that does not depend on the current folder
// ("/x"; "C:\x" or "\\server\share\x").
bool IsAbsolutePath(std::string_view path);

// Lower case in the user's locale (Windows: CharLowerBuff in the ANSI code
// page; POSIX: ASCII letters, other bytes unchanged, which keeps UTF-8 intact).
std::string LowerText(std::string_view text);
// ASCII-only lower and upper case.
std::string LowerAscii(std::string_view text);
char UpperAscii(char c);

// The key under which the platform considers two paths the same:
// LowerText with "/" turned into "\" on Windows, the bytes themselves on POSIX.
std::string PathKey(std::string_view path);
bool SamePath(std::string_view a, std::string_view b);
// True when `inner` lies in or below folder `outer`, by platform path
// identity. A missing trailing separator on either is supplied, so "/a/bc/"
// is not below "/a/b".
bool IsPathBelow(std::string_view inner, std::string_view outer);

// The folder a file of folder `path` goes to below `destination`, keeping
// its whole path: POSIX destination + the path without its leading "/";
// Windows destination + the path without its first ":" and then its first
// two backslashes (C:\Data\ -> dest\C\Data\, \\server\share\ ->
// dest\server\share\). Ends with the separator.
std::string PathBelow(std::string_view destination, std::string_view path);

// Full absolute form of a path ("." and ".." resolved textually, relative
// paths made absolute against the current folder; a trailing separator is
// kept). Windows: GetFullPathName. POSIX: no symbolic link is resolved.
// Empty on failure (and for an empty path).
std::string FullPath(std::string_view path);

// The name the file system itself gives an existing file or folder: full,
// with every symbolic link (Windows: junction, mount point, substituted
// drive) resolved, without trailing separator (a root keeps its own). Empty
// when the path does not exist or cannot be resolved.
std::string RealPath(std::string_view path);

}  // namespace zw::platform
