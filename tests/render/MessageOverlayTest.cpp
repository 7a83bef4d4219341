#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/MessageOverlay.h"

namespace {

// A clock that gives the next of a list of readings at each call, and
// repeats the last one after that.
class ScriptedClock {
 public:
  explicit ScriptedClock(std::vector<uint32_t> readings) : readings_(std::move(readings)) {}
  uint32_t operator()() {
    const uint32_t now = readings_[next_];
    if (next_ + 1 < readings_.size()) ++next_;
    return now;
  }

 private:
  std::vector<uint32_t> readings_;
  size_t next_ = 0;
};

std::vector<std::string> walk(std::vector<TimedMessage>& messages, std::vector<uint32_t> readings) {
  std::vector<std::string> drawn;
  walkMessages(messages, ScriptedClock(std::move(readings)),
               [&](const TimedMessage& message) { drawn.push_back(message.text); });
  return drawn;
}

}  // namespace

TEST(MessageOverlayTest, AMessageHasGlyphsOfPointSixWhateverItsLength) {
  const std::string text = "Une piece est d\xe9ja pr\xe9sente !";
  ASSERT_EQ(text.size(), 29u);
  const TimedMessage message = makeTimedMessage(Vector3(-5, 6, 0), 10000, 2000, text);
  EXPECT_EQ(message.expiry, 12000u);
  EXPECT_DOUBLE_EQ(message.width.x, 17.4);
  EXPECT_EQ(message.width.y, 0.0);
  EXPECT_DOUBLE_EQ(message.height.y, 0.6);
  EXPECT_EQ(message.height.x, 0.0);
  EXPECT_EQ(message.position.x, -5.0);
  EXPECT_EQ(message.position.y, 6.0);
  EXPECT_EQ(message.text, text);
}

TEST(MessageOverlayTest, AMessageLivesThroughItsExpiryMillisecond) {
  std::vector<TimedMessage> messages{makeTimedMessage(Vector3(), 10000, 2000, "a")};
  EXPECT_EQ(walk(messages, {11999}), std::vector<std::string>{"a"});
  EXPECT_EQ(walk(messages, {12000}), std::vector<std::string>{"a"});
  EXPECT_TRUE(walk(messages, {12001}).empty());
  EXPECT_TRUE(messages.empty());

  // A zero duration is still drawn in the same millisecond.
  messages.push_back(makeTimedMessage(Vector3(), 500, 0, "now"));
  EXPECT_EQ(walk(messages, {500}).size(), 1u);
  EXPECT_TRUE(walk(messages, {501}).empty());
}

TEST(MessageOverlayTest, TheClockIsReadAnewForEveryMessage) {
  // Three messages expiring at 100, 100 and 300; the clock moves past 100
  // while the walk is on the first one, so the second is dropped.
  std::vector<TimedMessage> messages{makeTimedMessage(Vector3(), 0, 100, "first"),
                                     makeTimedMessage(Vector3(), 0, 100, "second"),
                                     makeTimedMessage(Vector3(), 0, 300, "third")};
  EXPECT_EQ(walk(messages, {100, 101, 101}), (std::vector<std::string>{"first", "third"}));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, "first");
  EXPECT_EQ(messages[1].text, "third");
  // Dropped from the front as well; the newer stays.
  EXPECT_EQ(walk(messages, {250}), std::vector<std::string>{"third"});
  ASSERT_EQ(messages.size(), 1u);
}

TEST(MessageOverlayTest, ExpiryWrapsInUnsignedArithmetic) {
  const uint32_t nearLimit = 0xffffffffu - 999u;
  std::vector<TimedMessage> messages{makeTimedMessage(Vector3(), nearLimit, 2000, "late")};
  EXPECT_EQ(messages[0].expiry, 1000u);
  // Its small expiry is already before the clock: dropped at the next walk.
  EXPECT_TRUE(walk(messages, {nearLimit + 1}).empty());
}
