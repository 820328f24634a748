// Known-answer vectors: the RFC vectors of the primitives, and whole derivations and unwraps
// from published keybag lines, checked through the tool's own keybag parser and unlock code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/result.h"
#include "tests/tools/decrypt_test_support.h"
#include "tools/decrypt/crypto.h"
#include "tools/decrypt/keybag.h"
#include "tools/decrypt/keybag_unlock.h"
#include "tools/decrypt/stored_file.h"

namespace qv::decrypt {
namespace {

std::string unhex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

std::string hex(const std::string& bytes) {
  static const char k[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out.push_back(k[b >> 4]);
    out.push_back(k[b & 15]);
  }
  return out;
}

void tlv(std::string& out, const char* tag, const std::string& value) {
  out.append(tag, 4);
  std::uint32_t n = static_cast<std::uint32_t>(value.size());
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((n >> s) & 0xFF));
  out += value;
}

std::string be32(std::uint32_t v) {
  std::string out;
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
  return out;
}

// A keybag with one passcode-wrapped class, as a published hash line describes it.
std::string keybagFor(const std::string& wpky, std::uint32_t iter, const std::string& salt,
                      std::uint32_t dpic, const std::string& dpsl) {
  std::string bag;
  tlv(bag, "VERS", be32(5));
  tlv(bag, "TYPE", be32(1));
  tlv(bag, "UUID", std::string(16, '\x11'));
  tlv(bag, "WRAP", be32(0));
  tlv(bag, "SALT", salt);
  tlv(bag, "ITER", be32(iter));
  if (dpic != 0) {
    tlv(bag, "DPIC", be32(dpic));
    tlv(bag, "DPSL", dpsl);
  }
  tlv(bag, "UUID", std::string(16, '\x22'));
  tlv(bag, "CLAS", be32(1));
  tlv(bag, "WRAP", be32(2));
  tlv(bag, "KTYP", be32(0));
  tlv(bag, "WPKY", wpky);
  return bag;
}

TEST(DecryptKnownAnswers, Pbkdf2MatchesRfc6070AndRfc7914) {
  struct Case {
    PbkdfHash hash;
    const char* password;
    const char* salt;
    std::uint32_t iterations;
    std::size_t length;
    const char* expected;
  } cases[] = {
      {PbkdfHash::kSha1, "password", "salt", 1, 20, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
      {PbkdfHash::kSha1, "password", "salt", 2, 20, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
      {PbkdfHash::kSha1, "password", "salt", 4096, 20, "4b007901b765489abead49d926f721d065a429c1"},
      {PbkdfHash::kSha256, "passwd", "salt", 1, 64,
       "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc49ca9cccf179b645991664b39d7"
       "7ef317c71b845b1e30bd5"
       "09112041d3a19783"},
      {PbkdfHash::kSha256, "Password", "NaCl", 80000, 64,
       "4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56a1d425a1225833549adb841b51c"
       "9b3176a272bdebba1d078"
       "478f62b397f33c8d"},
  };
  for (const Case& c : cases) {
    std::string out;
    ASSERT_EQ(pbkdf2(c.hash, c.password, c.salt, c.iterations, c.length, &out), kOk);
    EXPECT_EQ(hex(out), c.expected) << c.password << " / " << c.iterations;
  }
}

TEST(DecryptKnownAnswers, Rfc3394UnwrapAndItsIntegrityCheck) {
  KeyUnwrapper unwrapper;
  ASSERT_EQ(
      unwrapper.setKey(unhex("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F")),
      kOk);
  std::string wrapped =
      unhex("28C9F404C4B810F4CBCCB35CFB87F8263F5786E2D80ED326CBC7F0E71A99F43BFB988B9B7A02DD21");
  std::string key;
  ASSERT_EQ(unwrapper.unwrap(wrapped, &key), kOk);
  EXPECT_EQ(hex(key), "00112233445566778899aabbccddeeff000102030405060708090a0b0c0d0e0f");
  // The same handle unwraps again after a failure: one handle serves a whole class.
  std::string damaged = wrapped;
  damaged[20] ^= 1;
  EXPECT_EQ(unwrapper.unwrap(damaged, &key), kWrongPassword);
  EXPECT_TRUE(key.empty());
  EXPECT_EQ(unwrapper.unwrap(wrapped, &key), kOk);
  EXPECT_EQ(unwrapper.unwrap(wrapped.substr(0, 39), &key), kInvalid);
}

TEST(DecryptKnownAnswers, PublishedKeybagLinesGiveTheirPasscodeKeyAndRejectAnotherPassword) {
  struct Line {
    const char* name;
    const char* wpky;
    std::uint32_t iter;
    const char* salt;
    std::uint32_t dpic;
    const char* dpsl;
    const char* passcodeKey;
  } lines[] = {
      {"two-stage, cheap DPIC",
       "17a3b858e79bc273be43a9f113b71efe7ec8e7e401396b350180b4592ef45db67ffef7b2d64329a5", 10000,
       "2721336781705041205314422175267631184867", 1000, "99fafc983e732998adb9fadc162a2e382143f115",
       "ca1bdd8196307fe1e2ed421321267d96e2988bf12f736035192cfed20ec823ea"},
      {"SHA-1 only, self-test",
       "ebd7f9b33293b2511f0a4139d5b213feff51476968863cef60ec38d720497b6ff39a0bb63fa9f84e", 10000,
       "2202015774208421818002001652122401871832", 0, "",
       "a29e0b44321c66a8f34c587ce924421e37231a3f020598a9a1a2ccdb71b424db"},
      {"SHA-1 only, example",
       "b8e3f3a970239b22ac199b622293fe4237b9d16e74bad2c3c3568cd1bd3c471615a6c4f867265642", 10000,
       "4542263740587424862267232255853830404566", 0, "",
       "274deb9da2cc41e5316a8f740b6bff41885b475252dfeb0488d4cb0ebed5db7c"},
  };
  for (const Line& l : lines) {
    SCOPED_TRACE(l.name);
    Keybag bag;
    ASSERT_EQ(
        parseKeybag(keybagFor(unhex(l.wpky), l.iter, unhex(l.salt), l.dpic, unhex(l.dpsl)), &bag),
        kOk);
    EXPECT_EQ(bag.hasDataProtection, l.dpic != 0);
    std::string pk;
    ASSERT_EQ(derivePasscodeKey(bag, "hashcat", &pk), kOk);
    EXPECT_EQ(hex(pk), l.passcodeKey);
    ClassKeys keys;
    EXPECT_EQ(unlockKeybag(bag, pk, &keys), kOk);
    EXPECT_EQ(keys.count(1), 1u);
    ASSERT_EQ(derivePasscodeKey(bag, "hashcat!", &pk), kOk);
    EXPECT_EQ(unlockKeybag(bag, pk, &keys), kWrongPassword);
    EXPECT_TRUE(keys.empty());
  }
}

TEST(DecryptKnownAnswers, SyntheticChainFromPasswordToFileBytes) {
  // Pre-10.2 keybag: zero salt, ITER 10000, password "0000".
  Keybag bag;
  std::string wpky =
      unhex("eba582ae3f5731863d270bd875e4c15566bd7847f98536f6674cf6cadc113f8b5bb7a71ebc48b7a5");
  ASSERT_EQ(parseKeybag(keybagFor(wpky, 10000, std::string(20, '\0'), 0, ""), &bag), kOk);
  std::string pk;
  ASSERT_EQ(derivePasscodeKey(bag, "0000", &pk), kOk);
  EXPECT_EQ(hex(pk), "a1f9ad8aab0647485a344fda6dcc4eaad54819a775676b70ad61044beefdede4");
  ClassKeys keys;
  ASSERT_EQ(unlockKeybag(bag, pk, &keys), kOk);
  ASSERT_EQ(keys[1], std::string(32, '\0'));

  // The file key is wrapped by an all-zero class key; the file is "Test data" and its padding.
  KeyUnwrapper classUnwrapper;
  ASSERT_EQ(classUnwrapper.setKey(std::string(32, '\0')), kOk);
  DecipherRequest request;
  ASSERT_EQ(
      classUnwrapper.unwrap(
          unhex("97317494343807e690fd1e431413963dc0e3deb4907fb89fa36ce65126d0ea1301381fb3a2941e2f"),
          &request.key),
      kOk);
  EXPECT_EQ(request.key, std::string(32, '\0'));

  testing::ScratchFolder scratch;
  request.source = scratch / "cipher";
  request.dest = scratch / "plain";
  std::string cipher = unhex("78b51ca5374c3ad575174288688cda49");
  ASSERT_EQ(platform::writeWholeFile(request.source, cipher.data(), cipher.size()), kOk);
  std::vector<unsigned char> buffer;
  DecipherOutcome outcome;
  ASSERT_EQ(decipherFile(request, buffer, &outcome), kOk);
  EXPECT_EQ(testing::readFileOrEmpty(request.dest), "Test data");
}

}  // namespace
}  // namespace qv::decrypt
