#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "render/Texture.h"
#include "render/Video.h"

namespace {

struct Rgb {
  uint8_t r, g, b;
};

const Rgb red{255, 0, 0};
const Rgb green{0, 255, 0};
const Rgb blue{0, 0, 255};

void put16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xff);
  out += static_cast<char>(v >> 8 & 0xff);
}
void put32(std::string& out, uint32_t v) {
  put16(out, v & 0xffff);
  put16(out, v >> 16);
}

// A 4 by 4 picture: red top-left, blue top-right, green everywhere else.
Rgb testPixel(int x, int y) {
  if (y == 0 && x == 0) return red;
  if (y == 0 && x == 3) return blue;
  return green;
}

// Writes the test picture, as an uncompressed Windows bitmap of 8, 16, 24 or
// 32 bits a pixel (8 bits: palette entries 0 red, 1 green, 2 blue; 16 bits:
// 5 bits a channel).
std::string writeBitmap(int bitsPerPixel) {
  const int size = 4;
  std::string rows;
  for (int y = size - 1; y >= 0; --y) {  // bottom row first
    std::string row;
    for (int x = 0; x < size; ++x) {
      const Rgb p = testPixel(x, y);
      switch (bitsPerPixel) {
        case 8:
          row += static_cast<char>(p.r ? 0 : p.g ? 1 : 2);
          break;
        case 16:
          put16(row, (p.r >> 3) << 10 | (p.g >> 3) << 5 | p.b >> 3);
          break;
        default:
          row += static_cast<char>(p.b);
          row += static_cast<char>(p.g);
          row += static_cast<char>(p.r);
          if (bitsPerPixel == 32) row += '\0';
      }
    }
    while (row.size() % 4 != 0) row += '\0';
    rows += row;
  }
  std::string palette;
  if (bitsPerPixel == 8) {
    for (const Rgb& p : {red, green, blue}) {
      palette += {static_cast<char>(p.b), static_cast<char>(p.g), static_cast<char>(p.r), 0};
    }
    palette.resize(256 * 4, '\0');
  }
  const uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size());
  std::string file = "BM";
  put32(file, offset + static_cast<uint32_t>(rows.size()));
  put32(file, 0);
  put32(file, offset);
  put32(file, 40);
  put32(file, size);
  put32(file, size);
  put16(file, 1);
  put16(file, bitsPerPixel);
  put32(file, 0);  // no compression
  put32(file, static_cast<uint32_t>(rows.size()));
  put32(file, 2835);
  put32(file, 2835);
  put32(file, bitsPerPixel == 8 ? 256 : 0);
  put32(file, 0);
  file += palette + rows;

  // Named after the test, which runs in a process of its own, and the same
  // in a death test's child.
  const std::string path = ::testing::TempDir() +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                           std::to_string(bitsPerPixel) + ".bmp";
  std::ofstream(path, std::ios::binary) << file;
  return path;
}

class TextureTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_FALSE(initVideo(400, 300, 32)); }

  // The level-0 texels of the bound texture, four bytes each, top row first.
  static std::vector<uint8_t> boundTexels(int width, int height) {
    std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 4, 7);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
  }
};

void expectTexel(const std::vector<uint8_t>& texels, int index, const Rgb& colour) {
  EXPECT_EQ(texels[4 * index], colour.r) << "texel " << index;
  EXPECT_EQ(texels[4 * index + 1], colour.g) << "texel " << index;
  EXPECT_EQ(texels[4 * index + 2], colour.b) << "texel " << index;
}

}  // namespace

TEST_F(TextureTest, BitmapsOfEveryDepthGiveTheirColoursTopRowFirst) {
  for (int depth : {24, 32, 16, 8}) {
    SCOPED_TRACE(depth);
    const std::string path = writeBitmap(depth);
    const unsigned int name = loadTexture(path.c_str(), 32).value();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<unsigned int>(bound), name);
    const std::vector<uint8_t> texels = boundTexels(4, 4);
    expectTexel(texels, 0, red);   // s = 0, t = 0: the top-left pixel
    expectTexel(texels, 3, blue);  // top-right
    expectTexel(texels, 15, green);
    deleteTexture(name);
    EXPECT_FALSE(glIsTexture(name));
    std::remove(path.c_str());
  }
}

TEST_F(TextureTest, TexturesRepeatAndPickTheNearestMipmap) {
  const std::string path = writeBitmap(24);
  const unsigned int name = loadTexture(path.c_str(), 32).value();
  GLint value = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
  EXPECT_EQ(value, GL_REPEAT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
  EXPECT_EQ(value, GL_REPEAT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
  EXPECT_EQ(value, GL_LINEAR_MIPMAP_NEAREST);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
  EXPECT_EQ(value, GL_LINEAR);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &value);
  EXPECT_EQ(value, 1);  // 4, 2, 1: every mipmap level is there
  deleteTexture(name);
  std::remove(path.c_str());
}

TEST_F(TextureTest, TheShippedAtlasHoldsBlankSpaceAndDrawnLetters) {
  SDL_Surface* atlas = loadSurface(CAVEL_FONT_FILE, 32);
  ASSERT_NE(atlas, nullptr);
  ASSERT_EQ(atlas->w % 16, 0);
  ASSERT_EQ(atlas->h % 14, 0);
  const int cellWidth = atlas->w / 16;
  const int cellHeight = atlas->h / 14;
  // Lit pixels of the cell of a code; red, green and blue are alike.
  const auto litPixels = [&](unsigned char code) {
    const int left = (code % 16) * cellWidth;
    const int top = (code / 16 - 2) * cellHeight;
    int lit = 0;
    for (int y = top; y < top + cellHeight; ++y) {
      for (int x = left; x < left + cellWidth; ++x) {
        const uint32_t v = getPixel(atlas, x, y);
        const uint8_t r = v & 0xff;
        EXPECT_EQ(r, v >> 8 & 0xff);
        EXPECT_EQ(r, v >> 16 & 0xff);
        if (r > 128) ++lit;
      }
    }
    return lit;
  };
  EXPECT_EQ(litPixels(' '), 0);
  for (int code : {int{'A'}, int{'z'}, int{'.'}, 0xe9, 0xe0, 0xe7, 0xff}) {
    EXPECT_GT(litPixels(static_cast<unsigned char>(code)), cellWidth * cellHeight / 64) << code;
  }
  SDL_FreeSurface(atlas);
}

// Loading reports its failures and leaves ending the program to the caller.
TEST_F(TextureTest, FilesThatCannotBeLoadedAreReportedNotFatal) {
  const std::string missing = ::testing::TempDir() + "no-such-" + std::string(600, 'x') + ".bmp";
  EXPECT_EQ(loadSurface(missing.c_str(), 32), nullptr);
  EXPECT_FALSE(loadTexture(missing.c_str(), 32));

  const std::string text = ::testing::TempDir() + "cavel-not-a-bitmap.bmp";
  std::ofstream(text) << "plain text, no bitmap";
  EXPECT_EQ(loadSurface(text.c_str(), 32), nullptr);
  EXPECT_FALSE(loadTexture(text.c_str(), 32));
  std::remove(text.c_str());

  const std::string bitmap = writeBitmap(24);
  EXPECT_EQ(loadSurface(bitmap.c_str(), 33), nullptr);  // no surface has 33 bits a pixel
  EXPECT_TRUE(loadTexture(bitmap.c_str(), 32));         // the same file loads as asked
  std::remove(bitmap.c_str());
}
