// Runs of sorted keys: a writer's run taken where it lies or copied gives the
// same keys, and the memory either way is charged while held and given back;
// the buffers under them hold every byte asked, whatever their size.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "search/layered/keys/KeyCoding.h"
#include "search/layered/runs/SortedBlocks.h"
#include "search/memory/ByteBuffer.h"
#include "search/memory/PageBlock.h"

namespace {

std::vector<Key128> ascendingKeys(size_t count) {
  std::mt19937_64 random(5);
  std::vector<Key128> keys;
  Key128 key = 0;
  for (size_t i = 0; i < count; ++i) {
    key += 1 + random() % 5000;
    if (i % 700 == 0) key += Key128{1} << 80;  // wide gaps too
    keys.push_back(key);
  }
  return keys;
}

std::vector<Key128> readBack(const SortedBlocks<Key128>& run) {
  std::vector<Key128> keys;
  for (RunCursor<Key128> cursor(&run, nullptr, nullptr); cursor.valid(); cursor.next()) {
    keys.push_back(cursor.key());
  }
  return keys;
}

TEST(SortedBlocksTest, ACursorSeeksAcrossBlocksAndStopsAtItsBound) {
  const std::vector<Key128> keys = ascendingKeys(20000);
  MemoryBudget budget(size_t{1} << 30);
  BlockWriter<Key128> writer(&budget);
  for (const Key128& key : keys) ASSERT_TRUE(writer.append(key));
  SortedBlocks<Key128> run;
  BlockWriter<Key128>* const parts[] = {&writer};
  ASSERT_FALSE(
      SortedBlocks<Key128>::concatenate(parts, 1, RunStorage{&budget, ""}, run));  // no failure
  ASSERT_GT(run.blockCount(), 10u);
  const Key128 bound = keys[15000];
  for (const bool bounded : {false, true}) {
    SCOPED_TRACE(bounded);
    RunCursor<Key128> cursor(&run, nullptr, bounded ? &bound : nullptr);
    // Seeks near and far, to keys held and keys between, some blocks apart.
    std::mt19937_64 random(9);
    size_t at = 0;
    while (true) {
      at += random() % 3000;
      if (at >= keys.size()) break;
      const Key128 wanted = keys[at] - (random() % 2);
      cursor.seek(wanted);
      const size_t expected = std::lower_bound(keys.begin(), keys.end(), wanted) - keys.begin();
      if (bounded && expected >= 15000) {
        EXPECT_FALSE(cursor.valid());
        break;
      }
      ASSERT_TRUE(cursor.valid());
      EXPECT_EQ(cursor.key(), keys[expected]);
    }
    cursor.seek(keys.back() + 1);
    EXPECT_FALSE(cursor.valid());
  }
}

// Parts spilled as they are written, their block lines by chunks and a
// value a key beside them, read back as one run: the same keys, the same
// lookups as in memory, each key's value where its block says, and memory
// that does not grow with the run.
TEST(SortedBlocksTest, ARunSpilledByPartsReadsBackLikeOneInMemory) {
  char folder[] = "/tmp/cavel-spill-test-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const RunStorage storage{nullptr, folder};
  std::string failure;
  const std::shared_ptr<SpillFile> keysFile = SpillFile::open(storage, failure);
  const std::shared_ptr<SpillFile> valuesFile = SpillFile::open(storage, failure);
  rmdir(folder);  // the files are unlinked already
  ASSERT_TRUE(keysFile && valuesFile) << failure;
  // Parts of one key, of part of a block, and of several chunks and a bit.
  const std::vector<Key128> keys = ascendingKeys(3 * chunkBlocks * blockKeys + 5000);
  const size_t ends[] = {1, 700, 2 * chunkBlocks * blockKeys + 3, keys.size()};
  MemoryBudget budget(size_t{1} << 30);
  std::vector<BlockWriter<Key128>> writers;
  for (size_t p = 0; p < 4; ++p) writers.emplace_back(&budget);
  size_t from = 0, mostHeld = 0;
  for (size_t p = 0; p < 4; ++p) {
    writers[p].spillTo(keysFile, valuesFile);
    for (size_t i = from; i < ends[p]; ++i) {
      ASSERT_TRUE(writers[p].append(keys[i], static_cast<uint32_t>(i)));
      mostHeld = std::max(mostHeld, budget.held());
    }
    ASSERT_TRUE(writers[p].finishSpill()) << writers[p].failure().reason;
    from = ends[p];
  }
  EXPECT_LT(mostHeld, size_t{1} << 20);  // for 12 MB of keys
  // Finished, the parts hold only their chunks' lines while they wait to
  // be gathered.
  EXPECT_LE(budget.held(), 4 * 16 * sizeof(IndexChunk<Key128>));
  BlockWriter<Key128>* const parts[] = {&writers[0], &writers[1], &writers[2], &writers[3]};
  SortedBlocks<Key128> run;
  ASSERT_FALSE(SortedBlocks<Key128>::gather(parts, 4, keysFile, &budget, run));
  ASSERT_EQ(run.size(), keys.size());
  EXPECT_EQ(readBack(run), keys);
  std::mt19937_64 random(3);
  for (int probe = 0; probe < 2000; ++probe) {
    const size_t at = random() % keys.size();
    const Key128 wanted = keys[at] - (random() % 2);
    EXPECT_EQ(run.contains(wanted), std::binary_search(keys.begin(), keys.end(), wanted));
    const size_t b = run.blockFor(wanted);
    Key128 block[blockKeys];
    const int count = run.decodeBlock(b, block);
    ASSERT_GT(count, 0);
    EXPECT_FALSE(wanted < block[0] && b > 0);
    uint32_t values[blockKeys];
    ASSERT_TRUE(valuesFile->read(values, count * sizeof(uint32_t), run.sideOffset(b)));
    for (int i = 0; i < count; ++i) {
      const size_t index = std::lower_bound(keys.begin(), keys.end(), block[i]) - keys.begin();
      ASSERT_EQ(values[i], index);
    }
  }
  EXPECT_FALSE(run.readFailed());
}

TEST(SortedBlocksTest, ARunTakenInPlaceOrCopiedHoldsTheSameKeysAndItsCharge) {
  const std::vector<Key128> keys = ascendingKeys(5000);
  MemoryBudget budget(size_t{1} << 30);
  size_t exactBytes = 0;
  {
    // Written once to learn its size.
    BlockWriter<Key128> probe(&budget);
    for (const Key128& key : keys) ASSERT_TRUE(probe.append(key));
    exactBytes = probe.bytes();
  }
  ASSERT_EQ(budget.held(), 0u);

  BlockWriter<Key128> fitted(&budget);
  ASSERT_TRUE(fitted.reserve(exactBytes + exactBytes / 20));
  for (const Key128& key : keys) ASSERT_TRUE(fitted.append(key));
  const size_t held = budget.held();
  SortedBlocks<Key128> taken;
  ASSERT_TRUE(SortedBlocks<Key128>::adopt(fitted, taken));
  EXPECT_EQ(budget.held(), held);  // the same memory, charged once
  EXPECT_EQ(fitted.size(), 0u);
  EXPECT_EQ(taken.size(), keys.size());
  EXPECT_EQ(taken.storedBytes(), exactBytes);
  EXPECT_EQ(readBack(taken), keys);
  EXPECT_TRUE(taken.contains(keys[4321]));
  EXPECT_FALSE(taken.contains(keys[4321] + 1));

  // A buffer mostly empty is not kept: the run is copied to its size.
  BlockWriter<Key128> roomy(&budget);
  ASSERT_TRUE(roomy.reserve(4 * exactBytes));
  for (const Key128& key : keys) ASSERT_TRUE(roomy.append(key));
  SortedBlocks<Key128> copied;
  EXPECT_FALSE(SortedBlocks<Key128>::adopt(roomy, copied));
  EXPECT_EQ(roomy.size(), keys.size());
  BlockWriter<Key128>* const parts[] = {&roomy};
  ASSERT_FALSE(
      SortedBlocks<Key128>::concatenate(parts, 1, RunStorage{&budget, ""}, copied));  // no failure
  EXPECT_EQ(readBack(copied), keys);

  taken.clear();
  copied.clear();
  roomy.clear();
  EXPECT_EQ(budget.held(), 0u);
}

// A run given room for its longest code grows by small steps and is charged
// for the memory the system fills as it writes (huge pages whole); kept, it
// holds and is charged for only the pages it wrote.
TEST(SortedBlocksTest, ARunGrowingInItsRoomIsChargedForWhatItWrites) {
  const std::vector<Key128> keys = ascendingKeys(300000);
  MemoryBudget budget(size_t{1} << 30);
  BlockWriter<Key128> writer(&budget);
  writer.growInPlaceUpTo(keys.size() * KeyCoding<Key128>::maxBytes);
  size_t mostSlack = 0;
  // The block list: a BlockInfo a block, in a vector that doubles.
  const size_t blockList = 512 * sizeof(BlockInfo<Key128>);
  for (const Key128& key : keys) {
    ASSERT_TRUE(writer.append(key));
    mostSlack = std::max(mostSlack, writer.capacity() - writer.bytes());
    ASSERT_GE(budget.held(), writer.bytes());
    ASSERT_LE(budget.held(), PageBlock::heldFor(writer.capacity()) + blockList);
  }
  const size_t bytes = writer.bytes();
  EXPECT_LE(mostSlack, std::max<size_t>(size_t{64} << 10, bytes / 8) + 4096);
  EXPECT_GE(budget.held(), PageBlock::heldFor(bytes));
  const size_t pages = (bytes + 4095) / 4096 * 4096;

  SortedBlocks<Key128> taken;
  ASSERT_TRUE(SortedBlocks<Key128>::adopt(writer, taken));
  EXPECT_EQ(budget.held(), pages + blockList);
  EXPECT_EQ(taken.storedBytes(), bytes);
  EXPECT_EQ(readBack(taken), keys);
  taken.clear();
  EXPECT_EQ(budget.held(), 0u);

  // Past its room it goes on, by copies.
  BlockWriter<Key128> small(&budget);
  small.growInPlaceUpTo(size_t{100} << 10);
  for (const Key128& key : keys) ASSERT_TRUE(small.append(key));
  SortedBlocks<Key128> grown;
  ASSERT_TRUE(SortedBlocks<Key128>::adopt(small, grown));
  EXPECT_EQ(readBack(grown), keys);
}

// Keys whose gaps take every length of code, from one byte to the widest,
// around the 63 and 64 bits that take a path of their own.
template <typename Key>
std::vector<Key> keysWithEveryGap() {
  std::vector<Key> keys{0};
  const int widest = 8 * static_cast<int>(sizeof(Key));
  for (int bits = 1; bits < widest; ++bits) {
    for (const Key gap : {Key{1} << (bits - 1), (Key{1} << bits) - 1}) {
      if (keys.back() > static_cast<Key>(~Key{0}) - gap) return keys;
      keys.push_back(keys.back() + gap);
    }
  }
  return keys;
}

template <typename Key>
void expectEveryGapReadBack() {
  const std::vector<Key> keys = keysWithEveryGap<Key>();
  BlockWriter<Key> writer;
  for (const Key& key : keys) ASSERT_TRUE(writer.append(key));
  SortedBlocks<Key> run;
  BlockWriter<Key>* const parts[] = {&writer};
  ASSERT_FALSE(SortedBlocks<Key>::concatenate(parts, 1, RunStorage{}, run));  // no failure
  std::vector<Key> read;
  for (RunCursor<Key> cursor(&run, nullptr, nullptr); cursor.valid(); cursor.next()) {
    read.push_back(cursor.key());
  }
  EXPECT_EQ(read, keys);
}

TEST(SortedBlocksTest, GapsOfEveryLengthReadBack) {
  expectEveryGapReadBack<uint64_t>();
  expectEveryGapReadBack<Key128>();
  expectEveryGapReadBack<Key192>();
}

TEST(SortedBlocksTest, ByteBuffersOfEverySizeHoldAllTheirBytes) {
  // From the heap, mapped in small pages, and in huge pages with a tail.
  for (const size_t bytes : {size_t{1000}, size_t{100} << 10, (size_t{5} << 20) + 12345}) {
    SCOPED_TRACE(bytes);
    ByteBuffer buffer(bytes);
    ASSERT_TRUE(buffer);
    for (size_t i = 0; i < bytes; ++i) buffer.get()[i] = static_cast<uint8_t>(i * 7);
    ByteBuffer moved = std::move(buffer);
    EXPECT_FALSE(buffer);
    size_t wrong = 0;
    for (size_t i = 0; i < bytes; ++i) wrong += moved.get()[i] != static_cast<uint8_t>(i * 7);
    EXPECT_EQ(wrong, 0u);
  }
}

TEST(SortedBlocksTest, ARoomKeepsItsBytesWhenTrimmed) {
  EXPECT_FALSE(ByteBuffer::room(1000).trimmable());  // from the heap
  const size_t bytes = (size_t{5} << 20) + 12345;
  ByteBuffer room = ByteBuffer::room(size_t{64} << 20);
  ASSERT_TRUE(room.trimmable());
  for (size_t i = 0; i < bytes; ++i) room.get()[i] = static_cast<uint8_t>(i * 7);
  EXPECT_EQ(room.trim(bytes), (bytes + 4095) / 4096 * 4096);
  size_t wrong = 0;
  for (size_t i = 0; i < bytes; ++i) wrong += room.get()[i] != static_cast<uint8_t>(i * 7);
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(room.trim(0), 0u);
  EXPECT_FALSE(room);
}

TEST(SortedBlocksTest, AReservationTheBudgetRefusesFails) {
  MemoryBudget budget(64 * 1024);
  BlockWriter<Key128> writer(&budget);
  EXPECT_FALSE(writer.reserve(size_t{1} << 20));
  EXPECT_EQ(budget.held(), 0u);
  EXPECT_TRUE(writer.reserve(16 * 1024));
  EXPECT_TRUE(writer.append(Key128{7}));
}

}  // namespace
