// Signed download links: a fresh link passes; an expired, altered or foreign one does not.
#include <gtest/gtest.h>

#include "link_cache.h"
#include "signed_links.h"
#include "url_text.h"

using namespace qvserver;

namespace {

struct LinkParts {
  std::string name, expires, signature;
};

// Splits "/files/<name>?expires=<e>&sig=<s>" (the name is left encoded).
LinkParts parts_of(const std::string& link) {
  auto query = link.find('?');
  auto amp = link.find('&');
  return {link.substr(7, query - 7), link.substr(query + 9, amp - query - 9), link.substr(amp + 5)};
}

}  // namespace

TEST(SignedLinks, ValidExpiredAndAltered) {
  LinkSigner signer("secret-one", 600);
  std::string link = signer.make(42, "net_driver.zip", 1000);
  EXPECT_TRUE(link.starts_with("/files/42_net_driver.zip?expires=1600&sig="));
  LinkParts good = parts_of(link);
  std::string other_signature = parts_of(LinkSigner("secret-two", 600).make(42, "net_driver.zip", 1000)).signature;

  struct Case {
    const char* label;
    LinkParts parts;
    std::int64_t now;
    LinkCheck expected;
  };
  std::string flipped = good.signature;
  flipped[0] = flipped[0] == 'a' ? 'b' : 'a';
  const Case cases[] = {
      {"fresh", good, 1000, LinkCheck::valid},
      {"last second", good, 1599, LinkCheck::valid},
      {"at expiry", good, 1600, LinkCheck::expired},
      {"later", good, 99999, LinkCheck::expired},
      {"signature altered", {good.name, good.expires, flipped}, 1000, LinkCheck::forged},
      {"signature cut", {good.name, good.expires, good.signature.substr(1)}, 1000, LinkCheck::forged},
      {"expiry extended", {good.name, "999999", good.signature}, 1000, LinkCheck::forged},
      {"expiry not a number", {good.name, "16OO", good.signature}, 1000, LinkCheck::forged},
      {"expiry missing", {good.name, "", good.signature}, 1000, LinkCheck::forged},
      {"other package", {"43_net_driver.zip", good.expires, good.signature}, 1000, LinkCheck::forged},
      {"other secret", {good.name, good.expires, other_signature}, 1000, LinkCheck::forged},
  };
  for (const auto& c : cases)
    EXPECT_EQ(signer.check(c.parts.name, c.parts.expires, c.parts.signature, c.now), c.expected) << c.label;
}

TEST(SignedLinks, NameIsEncodedSoTheClientRecoversIt) {
  EXPECT_EQ(percent_encode("net driver+v2 (x64).zip"), "net%20driver%2Bv2%20%28x64%29.zip");
  EXPECT_EQ(percent_encode("caf\xC3\xA9/..?.zip"), "caf%C3%A9%2F..%3F.zip");
}

TEST(SignedLinks, KeptLinksAreTheSignersOfThatSecond) {
  LinkSigner signer("secret-one", 600);
  LinkCache cache(signer);
  struct Step {
    std::int64_t package;
    const char* name;
    std::int64_t now;
  };
  // Repeated within a second, then a later second, then another name under the same id.
  const Step steps[] = {{42, "a.zip", 1000}, {42, "a.zip", 1000}, {43, "b.zip", 1000},
                        {42, "a.zip", 1001}, {42, "c.zip", 1001}, {42, "a.zip", 1000}};
  for (const auto& step : steps) {
    std::string expected = signer.make(step.package, step.name, step.now);
    std::string after_base = "http://h";  // appended after what the text held, made or kept
    cache.append_link(step.package, step.name, step.now, after_base);
    EXPECT_EQ(after_base, "http://h" + expected) << step.package << " " << step.name << " " << step.now;
    EXPECT_EQ(cache.link(step.package, step.name, step.now), expected)
        << step.package << " " << step.name << " " << step.now;
  }
}
