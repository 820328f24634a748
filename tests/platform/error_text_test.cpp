#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/error_text.h"
#include "platform/error_texts.h"
#include "platform/result.h"

namespace qv::platform {
namespace {

TEST(ErrorTextTest, EveryCodeHasOneLineOfText) {
  for (int code : {0, 2, 3, 5, 8, 30, 87, 112, 183, 1006, 6009, 424242}) {
    const std::string text = errorMessage(code);
    EXPECT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.find('\n'), std::string::npos) << code;
    EXPECT_NE(text.back(), '\r') << code;
  }
}

TEST(ErrorTextTest, TableHoldsWindowsTexts) {
  EXPECT_STREQ(knownErrorText(2), "The system cannot find the file specified.");
  EXPECT_STREQ(knownErrorText(5), "Access is denied.");
  EXPECT_STREQ(knownErrorText(87), "The parameter is incorrect.");
  EXPECT_EQ(knownErrorText(424242), nullptr);
}

#ifndef _WIN32
TEST(ErrorTextTest, ErrnoMapsToWindowsNumbers) {
  EXPECT_EQ(errnoToCode(ENOENT), kErrFileNotFound);
  EXPECT_EQ(errnoToCode(EACCES), kErrAccessDenied);
  EXPECT_EQ(errnoToCode(ENOSPC), kErrDiskFull);
  EXPECT_EQ(errnoToCode(EEXIST), kErrAlreadyExists);
  EXPECT_EQ(errnoToCode(ENAMETOOLONG), kErrFilenameTooLong);
  EXPECT_EQ(errorMessage(2), "The system cannot find the file specified.");
  EXPECT_EQ(errorMessage(424242), "Unknown error 424242.");
}
#endif

}  // namespace
}  // namespace qv::platform
