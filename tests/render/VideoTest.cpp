#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/Video.h"

namespace {

class VideoTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_FALSE(initVideo(400, 300, 32)); }
};

}  // namespace

TEST_F(VideoTest, InitVideoLeavesThePipelineStateDrawingReliesOn) {
  GLdouble projection[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  // 45 degrees vertically, aspect 4/3, near 1, far 10000.
  const double f = 1.0 / std::tan(M_PI / 8.0);
  EXPECT_NEAR(projection[0], f / (4.0 / 3.0), 1e-6);
  EXPECT_NEAR(projection[5], f, 1e-6);
  EXPECT_NEAR(projection[10], -10001.0 / 9999.0, 1e-6);
  EXPECT_NEAR(projection[14], -2.0 * 10000.0 / 9999.0, 1e-6);
  EXPECT_EQ(projection[11], -1.0);

  GLint value = 0;
  glGetIntegerv(GL_MATRIX_MODE, &value);
  EXPECT_EQ(value, GL_MODELVIEW);
  glGetIntegerv(GL_DEPTH_FUNC, &value);
  EXPECT_EQ(value, GL_LEQUAL);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  glGetIntegerv(GL_ALPHA_TEST_FUNC, &value);
  EXPECT_EQ(value, GL_LESS);
  GLfloat alphaRef = 0;
  glGetFloatv(GL_ALPHA_TEST_REF, &alphaRef);
  EXPECT_EQ(alphaRef, 1.0f);  // 128.0 clamped
  EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 400);
  EXPECT_EQ(viewport[3], 300);
}

TEST_F(VideoTest, PresentFrameResetsTheViewAndClearsToBlack) {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_MODELVIEW);
  glTranslated(1.0, 2.0, 3.0);
  glClearColor(1, 0, 0, 0);  // a frame of red, then the reset colour again
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(0, 0, 0, 0);
  presentFrame();

  GLdouble modelview[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(modelview[i], i % 5 == 0 ? 1.0 : 0.0) << i;

  std::vector<unsigned char> pixels(400 * 300 * 3, 7);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, 400, 300, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  for (size_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(pixels[i], 0) << i;
}

TEST_F(VideoTest, TicksCountMilliseconds) {
  const uint32_t before = ticks();
  SDL_Delay(20);
  EXPECT_GE(ticks() - before, 20u);
}
