#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ini_file.h"
#include "platform/result.h"
#include "tests/fixtures/temp_folder.h"

namespace qv::app {
namespace {

// Text (ASCII plus "\x01" standing for U+4E2D and "\x02" for U+1F600) to bytes of an encoding.
std::string encode(const std::string& text, TextEncoding e) {
  std::string out;
  const auto unit = [&](unsigned u) {
    const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
    if (e == TextEncoding::kUtf16Le)
      out += {lo, hi};
    else
      out += {hi, lo};
  };
  if (e == TextEncoding::kUtf8Bom) out = "\xEF\xBB\xBF";
  if (e == TextEncoding::kUtf16Le) out = "\xFF\xFE";
  if (e == TextEncoding::kUtf16Be) out = "\xFE\xFF";
  const bool utf16 = e == TextEncoding::kUtf16Le || e == TextEncoding::kUtf16Be;
  for (char c : text) {
    if (c == '\x01') {
      if (utf16)
        unit(0x4E2D);
      else
        out += "\xE4\xB8\xAD";
    } else if (c == '\x02') {
      if (utf16) {
        unit(0xD83D);
        unit(0xDE00);
      } else {
        out += "\xF0\x9F\x98\x80";
      }
    } else if (utf16) {
      unit(static_cast<unsigned char>(c));
    } else {
      out += c;
    }
  }
  return out;
}

std::wstring wide(const char32_t* s) {
  std::wstring out;
  for (; *s; ++s) {
    if (sizeof(wchar_t) == 2 && *s >= 0x10000) {
      out += static_cast<wchar_t>(0xD800 + ((*s - 0x10000) >> 10));
      out += static_cast<wchar_t>(0xDC00 + ((*s - 0x10000) & 0x3FF));
    } else {
      out += static_cast<wchar_t>(*s);
    }
  }
  return out;
}

const char kSample[] =
    "orphan=before any section\n"
    "; a comment\n"
    "[Main]\n"
    "  Title = Hello \x01  \n"
    "Smile=\x02\n"
    "\n"
    "Title=second title\n"
    "formula=a=b=c\n"
    "  just a line  \n"
    "[Other]\n"
    "Title=other\n"
    "[ Main ]\n"
    "late=from the repeated block\n"
    "Smile=not this one";

TEST(IniParseTest, EveryEncodingAndLineEndGivesTheSameDocument) {
  const TextEncoding encodings[] = {TextEncoding::kUtf8, TextEncoding::kUtf8Bom,
                                    TextEncoding::kUtf16Le, TextEncoding::kUtf16Be};
  for (const char* eol : {"\n", "\r\n", "\r"}) {
    std::string text;
    for (const char* p = kSample; *p; ++p) {
      if (*p == '\n')
        text += eol;
      else
        text += *p;
    }
    for (TextEncoding e : encodings) {
      SCOPED_TRACE(static_cast<int>(e));
      const IniDocument doc = parseIni(encode(text, e));
      EXPECT_EQ(doc.encoding, e);
      ASSERT_EQ(doc.sections.size(), 2u);
      const IniSection& main = doc.sections[0];
      EXPECT_EQ(main.name, L"Main");
      EXPECT_EQ(doc.sections[1].name, L"Other");
      ASSERT_EQ(main.entries.size(), 7u);
      EXPECT_EQ(*main.find(L"Title"), wide(U"Hello \u4E2D"));  // first occurrence wins
      EXPECT_EQ(*main.find(L"Smile"), wide(U"\U0001F600"));
      EXPECT_EQ(*main.find(L"formula"), L"a=b=c");            // split at the first "="
      EXPECT_EQ(*main.find(L"just a line"), L"just a line");  // no "=": key and text alike
      EXPECT_EQ(*main.find(L"late"), L"from the repeated block");
      EXPECT_EQ(main.find(L"orphan"), nullptr);
      EXPECT_EQ(main.find(L"title"), nullptr);  // exact by default
      EXPECT_EQ(*main.find(L"title", NameMatch::kIgnoreAsciiCase), wide(U"Hello \u4E2D"));
      EXPECT_EQ(doc.section(L"main"), nullptr);
      EXPECT_EQ(doc.section(L"MAIN", NameMatch::kIgnoreAsciiCase), &main);
    }
  }
}

TEST(IniParseTest, DamagedTextDecodesWithReplacementCharacters) {
  // UTF-16LE: an unpaired high surrogate, then an odd byte at the end.
  const std::string utf16 = std::string("\xFF\xFE[\0S\0]\0\n\0k\0=\0\x3D\xD8x\0", 18) + "!";
  const IniDocument doc = parseIni(utf16);
  ASSERT_EQ(doc.sections.size(), 1u);
  EXPECT_EQ(*doc.sections[0].find(L"k"), L"\xFFFDx\xFFFD");
  // UTF-8 without a mark: a stray continuation byte.
  const IniDocument doc8 = parseIni("[S]\nk=a\x80z\n");
  EXPECT_EQ(*doc8.sections[0].find(L"k"), L"a\xFFFDz");
  EXPECT_EQ(decodeText("\xEF\xBB\xBF"
                       "abc"),
            L"abc");
  EXPECT_TRUE(parseIni("").sections.empty());
  EXPECT_TRUE(parseIni("\xFF\xFE").sections.empty());
}

TEST(IniParseTest, MissingFileGivesTheSystemCode) {
  fixtures::TempFolder tmp;
  IniDocument doc;
  doc.sections.push_back({L"stale", {}});
  EXPECT_EQ(readIniFile(tmp.file("absent.ini"), &doc), kErrFileNotFound);
  EXPECT_TRUE(doc.sections.empty());
}

// The part of `after` that differs from `before`, found by trimming the common prefix and suffix.
struct Change {
  std::string removed;
  std::string added;
};

Change diff(const std::string& before, const std::string& after) {
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  return {before.substr(head, before.size() - head - tail),
          after.substr(head, after.size() - head - tail)};
}

TEST(IniEditTest, ReplacingTheValueTouchesOnlyItsLine) {
  const std::string before =
      "; settings\r\n[Other]\r\nDefault=keep me\r\n[defaultlanguage]\r\n  x = 1\r\n"
      "DEFAULT = English\r\nDefault=second\r\n\r\n[DefaultLanguage]\r\nDefault=third\r\n";
  const std::string after = setIniValue(before, L"DefaultLanguage", L"Default", L"German");
  const std::size_t at = before.find("DEFAULT = English");
  EXPECT_EQ(after, before.substr(0, at) + "Default=German" + before.substr(at + 17));
  // What the program reads back (a case-insensitive look-up) is the new value.
  EXPECT_EQ(*parseIni(after)
                 .section(L"DefaultLanguage", NameMatch::kIgnoreAsciiCase)
                 ->find(L"Default", NameMatch::kIgnoreAsciiCase),
            L"German");
}

TEST(IniEditTest, MissingKeyIsAddedAfterTheSectionsLastEntry) {
  const std::string before = "[DefaultLanguage]\nother=1\n; note\n\n[Languages]\nEnglish=English\n";
  const std::string after = setIniValue(before, L"DefaultLanguage", L"Default", L"English");
  EXPECT_EQ(
      after,
      "[DefaultLanguage]\nother=1\nDefault=English\n; note\n\n[Languages]\nEnglish=English\n");
  // The section as the very last line, without a line end.
  EXPECT_EQ(setIniValue("[A]\r\nk=v\r\n[DefaultLanguage]", L"DefaultLanguage", L"Default", L"X"),
            "[A]\r\nk=v\r\n[DefaultLanguage]\r\nDefault=X\r\n");
}

TEST(IniEditTest, MissingSectionIsAppended) {
  EXPECT_EQ(setIniValue("[Languages]\nEnglish=English", L"DefaultLanguage", L"Default", L"X"),
            "[Languages]\nEnglish=English\n[DefaultLanguage]\nDefault=X\n");
  EXPECT_EQ(setIniValue("", L"DefaultLanguage", L"Default", L"X"),
            "[DefaultLanguage]\r\nDefault=X\r\n");
  EXPECT_EQ(setIniValue("\xEF\xBB\xBF", L"S", L"k", L"v"), "\xEF\xBB\xBF[S]\r\nk=v\r\n");
}

TEST(IniEditTest, Utf16FileStaysUtf16AndKeepsItsOtherBytes) {
  const std::string before = encode(
      "[Languages]\r\nEnglish=English\r\nZh=\x01\x02\r\n"
      "[DefaultLanguage]\r\nDefault=English\r\n",
      TextEncoding::kUtf16Le);
  const std::string after = setIniValue(before, L"DefaultLanguage", L"Default", wide(U"\u4E2D"));
  const Change c = diff(before, after);
  EXPECT_EQ(c.removed, std::string("E\0n\0g\0l\0i\0s\0h\0", 14));
  EXPECT_EQ(c.added, "\x2D\x4E");
  const IniDocument doc = parseIni(after);
  EXPECT_EQ(doc.encoding, TextEncoding::kUtf16Le);
  EXPECT_EQ(*doc.section(L"DefaultLanguage")->find(L"Default"), wide(U"\u4E2D"));
  EXPECT_EQ(*doc.section(L"Languages")->find(L"Zh"), wide(U"\u4E2D\U0001F600"));
}

}  // namespace
}  // namespace qv::app
