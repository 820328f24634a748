// The main of every test executable. Standard output is put into binary mode first, so that the
// test list CTest reads under wine ends its lines without carriage returns, which would become
// part of every test's name.
#include <gtest/gtest.h>

#include "platform/console.h"

int main(int argc, char** argv) {
  qv::platform::useBinaryStdout();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
