#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace zw::platform {
namespace {

struct Case1 {
  const char* in;
  const char* want;
};
struct Case2 {
  const char* a;
  const char* b;
  const char* want;
};
struct RootCase {
  const char* in;
  size_t rootLength;
  bool absolute;
};
struct BelowCase {
  const char* inner;
  const char* outer;
  bool below;
};

#ifdef _WIN32
const Case1 kInclude[] = {{"", ""}, {"a", "a\\"}, {"a\\", "a\\"}, {"a/", "a/"}, {"C:", "C:\\"}};
const Case1 kExclude[] = {{"", ""},          {"a\\b\\", "a\\b"}, {"a\\b\\\\", "a\\b"}, {"c:/a/", "c:/a"},
                          {"C:\\", "C:\\"},    {"C:\\\\", "C:\\"},  {"C:", "C:"},          {"\\", "\\"},
                          {"\\\\srv\\share\\", "\\\\srv\\share"}, {"a", "a"}};
const Case1 kName[] = {{"C:\\a\\b.txt", "b.txt"}, {"C:b.txt", "b.txt"}, {"C:/a/b", "b"},
                       {"C:\\a\\", ""},           {"\\\\srv\\share", "share"}, {"plain", "plain"}};
const Case1 kPath[] = {{"C:\\a\\b.txt", "C:\\a\\"}, {"C:b.txt", "C:"}, {"c:/x/y", "c:/x/"},
                       {"C:\\", "C:\\"},            {"plain", ""}};
const Case1 kExt[] = {{"x.tar.gz", ".gz"},  {"C:\\a.b\\c", ""}, {"C:\\a\\.profile", ".profile"},
                      {"name.", "."},       {"C:\\a\\NAME.ZIP", ".ZIP"}, {"none", ""}};
const Case2 kJoin[] = {{"C:\\a", "b", "C:\\a\\b"},   {"C:\\a\\", "b", "C:\\a\\b"},
                       {"C:\\a/", "\\b", "C:\\a/b"}, {"", "b", "b"},
                       {"C:\\a", "", "C:\\a\\"},     {"C:", "x", "C:\\x"}};
const RootCase kRoots[] = {{"C:\\x", 3, true},          {"C:", 2, false},     {"C:x", 2, false},
                           {"\\x", 1, false},           {"/x", 1, false},     {"x", 0, false},
                           {"\\\\srv\\share\\x", 12, true}, {"\\\\srv\\share", 11, true},
                           {"//srv/share/x", 12, true}, {"", 0, false}};
const BelowCase kBelow[] = {{"c:\\dir\\sub\\", "C:\\DIR\\", true}, {"C:\\dir\\", "c:\\Dir", true},
                            {"C:\\dirx\\", "C:\\dir\\", false},    {"C:/dir/sub", "C:\\dir\\", true},
                            {"D:\\dir\\", "C:\\dir\\", false},     {"C:\\", "C:\\dir\\", false}};
#else
const Case1 kInclude[] = {{"", ""}, {"a", "a/"}, {"a/", "a/"}, {"/", "/"}, {"a\\", "a\\/"}};
const Case1 kExclude[] = {{"", ""},    {"a/b/", "a/b"}, {"a/b//", "a/b"}, {"/", "/"},
                          {"//", "/"}, {"a", "a"},      {"a\\", "a\\"}};
const Case1 kName[] = {{"/a/b.txt", "b.txt"}, {"/a/", ""}, {"b", "b"}, {"a\\b", "a\\b"}, {"C:b", "C:b"}};
const Case1 kPath[] = {{"/a/b.txt", "/a/"}, {"b", ""}, {"/x", "/"}, {"a\\b", ""}};
const Case1 kExt[] = {{"x.tar.gz", ".gz"}, {"/a.b/c", ""},  {".bashrc", ".bashrc"},
                      {"a.", "."},         {"/a/b.ZIP", ".ZIP"}, {"none", ""}};
const Case2 kJoin[] = {{"/a", "b", "/a/b"}, {"/a/", "b", "/a/b"}, {"/a/", "//b", "/a/b"},
                       {"", "b", "b"},      {"/a", "", "/a/"},    {"/", "x", "/x"}};
const RootCase kRoots[] = {{"/", 1, true}, {"/x", 1, true}, {"x", 0, false}, {"", 0, false}, {"C:\\x", 0, false}};
const BelowCase kBelow[] = {{"/a/b/c/", "/a/b/", true}, {"/a/b", "/a/b/", true},  {"/a/bc/", "/a/b/", false},
                            {"/A/b/", "/a/", false},    {"/a/", "/a/b/", false}, {"/x", "/", true}};
#endif

template <size_t N>
void ExpectEach(const char* what, std::string (*f)(std::string_view), const Case1 (&cases)[N]) {
  for (const Case1& c : cases) EXPECT_EQ(f(c.in), c.want) << what << "(" << c.in << ")";
}

// Include adds one separator when missing, Exclude keeps the root's, the file
// name follows the last separator, the path keeps it, the extension starts
// at the name's last dot, and a join puts exactly one separator between.
TEST(PathText, EachFunctionOnItsCases) {
  ExpectEach("IncludeTrailingSep", &IncludeTrailingSep, kInclude);
  ExpectEach("ExcludeTrailingSep", &ExcludeTrailingSep, kExclude);
  ExpectEach("ExtractFileName", &ExtractFileName, kName);
  ExpectEach("ExtractFilePath", &ExtractFilePath, kPath);
  ExpectEach("ExtractFileExt", &ExtractFileExt, kExt);
  for (const Case2& c : kJoin) EXPECT_EQ(JoinPath(c.a, c.b), c.want) << c.a << " + " << c.b;
}

TEST(PathText, RootsAndAbsolutePathsFollowThePlatformRules) {
  for (const RootCase& c : kRoots) {
    EXPECT_EQ(PathRootLength(c.in), c.rootLength) << c.in;
    EXPECT_EQ(IsAbsolutePath(c.in), c.absolute) << c.in;
  }
}

TEST(PathText, SeparatorsAreThePlatforms) {
  EXPECT_TRUE(IsPathSep(kPathSep));
#ifdef _WIN32
  EXPECT_TRUE(IsPathSep('/'));
  EXPECT_EQ(kPathSep, '\\');
#else
  EXPECT_FALSE(IsPathSep('\\'));
  EXPECT_EQ(kPathSep, '/');
#endif
  EXPECT_FALSE(IsPathSep(':'));
}

TEST(CaseRules, AsciiHelpersAndLowerTextChangeOnlyLetters) {
  EXPECT_EQ(LowerAscii("AbC-Z@[\xC4\xD6"), "abc-z@[\xC4\xD6");
  EXPECT_EQ(std::string({UpperAscii('a'), UpperAscii('z'), UpperAscii('{'), UpperAscii('\xE4')}), "AZ{\xE4");
  EXPECT_EQ(LowerText("ReadMe.TXT 123"), "readme.txt 123");
  EXPECT_EQ(LowerText(std::string("A\0B", 3)), std::string("a\0b", 3));
#ifdef _WIN32
  if (GetACP() == 1252) {
    EXPECT_EQ(LowerText("\xC4\xD6"), "\xE4\xF6");  // Ä Ö in Windows-1252
  }
#else
  EXPECT_EQ(LowerText("\xC3\x84X"), "\xC3\x84x");  // UTF-8 "Ä" stays intact
#endif
}

TEST(PathIdentity, FollowsThePlatformsCaseRule) {
#ifdef _WIN32
  EXPECT_EQ(PathKey("C:\\Dir/FILE.txt"), "c:\\dir\\file.txt");
  EXPECT_TRUE(SamePath("C:\\Dir\\File", "c:/dir/FILE"));
  EXPECT_FALSE(SamePath("C:\\Dir\\File", "C:\\Dir\\Files"));
#else
  EXPECT_EQ(PathKey("/Dir/FILE.txt"), "/Dir/FILE.txt");
  EXPECT_FALSE(SamePath("/a/B", "/a/b"));
  EXPECT_TRUE(SamePath("/a/b", "/a/b"));
#endif
}

TEST(PathIdentity, IsPathBelowComparesWholeFolderNames) {
  for (const BelowCase& c : kBelow) {
    EXPECT_EQ(IsPathBelow(c.inner, c.outer), c.below) << c.inner << " in " << c.outer;
  }
  EXPECT_FALSE(IsPathBelow("anything", ""));
}

TEST(FullPaths, ResolveDotsTextually) {
#ifdef _WIN32
  const Case1 cases[] = {{"C:\\a\\.\\b\\..\\c", "C:\\a\\c"}, {"C:\\a\\b\\", "C:\\a\\b\\"}, {"c:/a/b", "c:\\a\\b"},
                         {"C:\\a\\..\\..\\x", "C:\\x"}, {"\\\\srv\\share\\x\\..\\y", "\\\\srv\\share\\y"}};
#else
  const Case1 cases[] = {{"/a/./b/../c", "/a/c"}, {"/a/b/../../..", "/"}, {"/a//b/", "/a/b/"},
                         {"/..", "/"},            {"/a/b/.", "/a/b"},    {"/a/..b/c", "/a/..b/c"},
                         {"/", "/"}};
#endif
  for (const Case1& c : cases) EXPECT_EQ(FullPath(c.in), c.want) << c.in;
  EXPECT_EQ(FullPath(""), "");
}

TEST(FullPaths, MakeRelativePathsAbsoluteAgainstTheCurrentFolder) {
  const std::string cwd = std::filesystem::current_path().string();
  EXPECT_EQ(FullPath("x"), JoinPath(cwd, "x"));
  EXPECT_EQ(FullPath(std::string("x") + kPathSep + "y" + kPathSep), JoinPath(cwd, "x") + kPathSep + "y" + kPathSep);
  EXPECT_EQ(FullPath("."), ExcludeTrailingSep(cwd));
  EXPECT_EQ(FullPath(std::string("sub") + kPathSep + ".."), ExcludeTrailingSep(cwd));
}

#ifndef _WIN32
TEST(FullPaths, DoNotResolveSymbolicLinks) {
  namespace fs = std::filesystem;
  const fs::path base = fs::temp_directory_path() / ("zw-paths-" + std::to_string(::getpid()));
  fs::create_directories(base / "real");
  fs::create_directory_symlink(base / "real", base / "link");
  EXPECT_EQ(FullPath((base / "link" / "x").string()), (base / "link" / "x").string());
  fs::remove_all(base);
}
#endif

}  // namespace
}  // namespace zw::platform
