#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/folders.h"
#include "platform/process.h"
#include "platform/result.h"
#include "platform/shipped_program.h"

namespace qv::platform {
namespace {

std::string childPath() {
  std::string folder;
  EXPECT_EQ(programFolder(&folder), kOk);
  return joinPath(folder, siblingProgramName("qv_test_child.exe", "qv_test_child"));
}

// Collects everything the child writes until its output closes, polling as the engine does.
std::string drain(Process& p) {
  std::string out;
  for (int pass = 0; pass < 20000; ++pass) {
    bool ended = false;
    EXPECT_EQ(p.waitFor(5, &ended), kOk);
    std::size_t waiting = 0;
    const int rc = p.peek(&waiting);
    if (rc == kErrHandleEof) break;
    EXPECT_EQ(rc, kOk);
    if (waiting == 0) continue;
    char buf[4096];
    std::size_t got = 0;
    if (p.read(buf, sizeof buf, &got) != kOk) break;
    out.append(buf, got);
  }
  return out;
}

TEST(QuoteTest, ArgumentsAreQuotedByTheRuntimeRules) {
  EXPECT_EQ(quoteArgument("plain"), "plain");
  EXPECT_EQ(quoteArgument(""), "\"\"");
  EXPECT_EQ(quoteArgument("two words"), "\"two words\"");
  EXPECT_EQ(quoteArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(quoteArgument("C:\\dir\\"), "C:\\dir\\");  // no space: untouched
  EXPECT_EQ(quoteArgument("C:\\my dir\\"), "\"C:\\my dir\\\\\"");
  EXPECT_EQ(quoteArgument("a\\\"b c"), "\"a\\\\\\\"b c\"");
  EXPECT_EQ(commandLine("C:\\t\\tool.exe", {"a b", "c"}), "\"C:\\t\\tool.exe\" \"a b\" c");
}

TEST(ProcessTest, ArgumentsReachTheChildExactly) {
  const std::vector<std::string> tricky = {"pass word",
                                           "with \"quotes\"",
                                           "back\\slash\\",
                                           "\\\\server\\share dir\\",
                                           "p\xC3\xA4ss \xE5\xAF\x86\xE7\xA0\x81",
                                           "",
                                           "tab\there"};
  std::vector<std::string> args = {"args"};
  args.insert(args.end(), tricky.begin(), tricky.end());
  Process p;
  ASSERT_EQ(p.start(childPath(), args), kOk);
  std::string expected;
  for (const std::string& a : tricky) expected += "[" + a + "]\n";
  EXPECT_EQ(drain(p), expected);
}

TEST(ProcessTest, ErrorOutputSharesThePipeAndExitCodeIsKept) {
  Process p;
  ASSERT_EQ(p.start(childPath(), {"print", "Count: 5", "stderr", " Wrong", "exit", "3"}), kOk);
  EXPECT_EQ(drain(p), "Count: 5 Wrong");
  bool ended = false;
  for (int i = 0; i < 2000 && !ended; ++i) ASSERT_EQ(p.waitFor(5, &ended), kOk);
  ASSERT_TRUE(ended);
  int code = -1;
  ASSERT_EQ(p.exitCode(&code), kOk);
  EXPECT_EQ(code, 3);
}

TEST(ProcessTest, PeekDoesNotBlockWhileTheChildIsQuiet) {
  Process p;
  ASSERT_EQ(p.start(childPath(), {"sleep", "1500", "print", "late"}), kOk);
  std::size_t waiting = 99;
  EXPECT_EQ(p.peek(&waiting), kOk);
  EXPECT_EQ(waiting, 0u);
  bool ended = true;
  EXPECT_EQ(p.waitFor(5, &ended), kOk);
  EXPECT_FALSE(ended);
  int code = 0;
  EXPECT_EQ(p.exitCode(&code), kErrBusy);
  EXPECT_EQ(drain(p), "late");
}

TEST(ProcessTest, InputPipeFeedsTheChild) {
  Process p;
  ASSERT_EQ(p.start(childPath(), {"cat"}), kOk);
  ASSERT_EQ(p.writeInput("echo me", 7), kOk);
  p.closeInput();
  EXPECT_EQ(drain(p), "echo me");
}

TEST(ProcessTest, MissingProgramFailsToStart) {
  Process p;
  EXPECT_NE(p.start(joinPath(childPath() + "-absent", "x"), {}), kOk);
  std::size_t waiting = 0;
  EXPECT_EQ(p.peek(&waiting), kErrInvalidHandle);
}

}  // namespace
}  // namespace qv::platform
