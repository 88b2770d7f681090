#include "platform/errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace zw::platform {
namespace {

struct KindCase {
  int code;
  ErrKind kind;
};

#ifdef _WIN32
const KindCase kKinds[] = {
    {2, ErrKind::NotFound},          {3, ErrKind::PathNotFound},      {5, ErrKind::AccessDenied},
    {19, ErrKind::WriteProtected},   {21, ErrKind::NotReady},         {32, ErrKind::SharingViolation},
    {39, ErrKind::DiskFull},         {112, ErrKind::DiskFull},        {80, ErrKind::AlreadyExists},
    {183, ErrKind::AlreadyExists},   {123, ErrKind::InvalidName},     {161, ErrKind::InvalidName},
    {995, ErrKind::Aborted},         {1223, ErrKind::Aborted},        {0, ErrKind::None},
    {6, ErrKind::Other},             {87, ErrKind::Other},            {145, ErrKind::Other},
};
#else
const KindCase kKinds[] = {
    {ENOENT, ErrKind::NotFound},        {ENOTDIR, ErrKind::PathNotFound},   {EACCES, ErrKind::AccessDenied},
    {EPERM, ErrKind::AccessDenied},     {EISDIR, ErrKind::AccessDenied},    {EROFS, ErrKind::WriteProtected},
    {ENOSPC, ErrKind::DiskFull},        {EDQUOT, ErrKind::DiskFull},        {EEXIST, ErrKind::AlreadyExists},
    {ENAMETOOLONG, ErrKind::InvalidName}, {EINVAL, ErrKind::InvalidName},   {EBUSY, ErrKind::SharingViolation},
    {ETXTBSY, ErrKind::SharingViolation}, {EIO, ErrKind::NotReady},         {ENXIO, ErrKind::NotReady},
#ifdef ENOMEDIUM
    {ENOMEDIUM, ErrKind::NotReady},
#endif
    {ECANCELED, ErrKind::Aborted},      {0, ErrKind::None},                 {ENOTEMPTY, ErrKind::Other},
    {EXDEV, ErrKind::Other},            {EMFILE, ErrKind::Other},
};
#endif

TEST(ErrorKinds, NativeCodesMapToTheirPortableKindAndKeepTheCode) {
  for (const KindCase& c : kKinds) {
    EXPECT_EQ(KindOfNative(c.code), c.kind) << "code " << c.code << " gave " << ErrKindName(KindOfNative(c.code));
    const OsError e = OsError::FromNative(c.code);
    EXPECT_EQ(e.code, c.code);
    EXPECT_EQ(e.kind, c.kind);
    EXPECT_EQ(static_cast<bool>(e), c.code != 0);
  }
  EXPECT_FALSE(static_cast<bool>(OsError{}));
}

TEST(LastError, ReadsTheThreadsNativeErrorValue) {
#ifdef _WIN32
  for (DWORD code : {ERROR_DISK_FULL, ERROR_SHARING_VIOLATION}) {
    SetLastError(code);
#else
  for (int code : {ENOSPC, EROFS}) {
    errno = code;
#endif
    EXPECT_EQ(LastNativeError(), static_cast<int>(code));
  }
}

#ifdef _WIN32
constexpr int kNotFound = ERROR_FILE_NOT_FOUND;
constexpr int kDenied = ERROR_ACCESS_DENIED;
#else
constexpr int kNotFound = ENOENT;
constexpr int kDenied = EACCES;
#endif

TEST(ErrorText, IsTheSystemsTextWithoutTrailingLineBreaks) {
  for (int code : {kNotFound, kDenied}) {
    const std::string text = SystemErrorText(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '\r');
    EXPECT_NE(text.back(), ' ');
  }
  EXPECT_NE(SystemErrorText(kNotFound), SystemErrorText(kDenied));
#ifndef _WIN32
  EXPECT_EQ(SystemErrorText(ENOENT), std::string(strerror(ENOENT)));
#endif
}

TEST(ErrorText, AnUnknownCodeStillGetsATextNamingIt) {
  const std::string text = SystemErrorText(123456);
  EXPECT_NE(text.find("123456"), std::string::npos) << text;
}

}  // namespace
}  // namespace zw::platform
