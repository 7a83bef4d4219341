#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/MessageOverlay.h"
#include "render/TextLayout.h"

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

TEST(MessageOverlayTest, GlyphsArePointSixUnlessTheLineWouldLeaveTheWindow) {
  const TimedMessage message = makeTimedMessage(Vector3(-5, 6, 0), 10000, 2000, "64 pieces !");
  EXPECT_EQ(message.expiry, 12000u);
  EXPECT_DOUBLE_EQ(message.width.x, 0.6 * 11);
  EXPECT_EQ(message.width.y, 0.0);
  EXPECT_DOUBLE_EQ(message.height.y, 0.6);
  EXPECT_EQ(message.height.x, 0.0);
  EXPECT_EQ(message.position.x, -5.0);
  EXPECT_EQ(message.position.y, 6.0);

  // 29 glyphs of 0.6 from x = -5 would end at 12.4, past the window's edge:
  // the text stays whole on narrower glyphs of the same height.
  const std::string refusal = "Une piece est d\xe9ja pr\xe9sente !";
  ASSERT_EQ(refusal.size(), 29u);
  const TimedMessage narrowed = makeTimedMessage(Vector3(-5, 6, 0), 0, 2000, refusal);
  EXPECT_EQ(narrowed.text, refusal);
  EXPECT_DOUBLE_EQ(-5 + narrowed.width.x, textRightLimit);
  EXPECT_DOUBLE_EQ(narrowed.height.y, 0.6);
}

TEST(MessageOverlayTest, ANewMessageTakesThePlaceOfThoseItCovers) {
  // Refused, then saved at once: the shorter line must not show the tail of
  // the refusal, which is still alive.
  std::vector<TimedMessage> messages;
  placeMessage(messages, makeTimedMessage(Vector3(-5, -2, 0), 0, 9000, "below"));
  placeMessage(messages,
               makeTimedMessage(Vector3(-5, 6, 0), 0, 2000, "Une piece est deja presente !"));
  placeMessage(messages, makeTimedMessage(Vector3(-5, 6.6, 0), 0, 2000, "just above"));
  placeMessage(messages,
               makeTimedMessage(Vector3(-5, 6, 0), 10, 3000, "Enregistr\xe9 : puzzle-1.txt"));
  EXPECT_EQ(walk(messages, {20}),
            (std::vector<std::string>{"below", "just above", "Enregistr\xe9 : puzzle-1.txt"}));

  // Overlapping in part replaces; beside another line (x -5 to 1) does not.
  placeMessage(messages, makeTimedMessage(Vector3(5, 6.3, 0), 20, 100, "tail"));
  EXPECT_EQ(walk(messages, {30}), (std::vector<std::string>{"below", "just above", "tail"}));
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
