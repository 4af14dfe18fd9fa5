// The frame's clear restores depth only where depth was written; these tests read the depth
// buffer back to show that after it the whole buffer holds the clear depth, exactly as a full
// clear leaves it, through a whole scripted cycle of use.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/frame_clear.h"
#include "perf/scene_driver.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

std::vector<GLuint> readDepth() {
  std::vector<GLuint> depth(kWidth * kHeight);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kWidth, kHeight, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, depth.data());
  return depth;
}

// Depth values below the clear depth (written since the clear) outside what was noted;
// -1 if none.
long firstWriteOutsideNoted(const std::vector<GLuint>& depth) {
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (depth[y * kWidth + x] != 0xFFFFFFFFu && !depthWriteNoted(x, y)) return y * kWidth + x;
    }
  }
  return -1;
}

long firstNotCleared(const std::vector<GLuint>& depth) {
  for (size_t i = 0; i < depth.size(); ++i) {
    if (depth[i] != 0xFFFFFFFFu) return static_cast<long>(i);
  }
  return -1;
}

class DepthClear : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { perftest::startScene(kWidth, kHeight); }
};

TEST_F(DepthClear, LeavesTheWholeBufferClearedThroughACycleOfUse) {
  int frame = 0;
  int partialFrames = 0;
  int failures = 0;
  perftest::playCycleScript(20000, [&] {
    if (++frame % 5 != 0 || failures > 3) return;
    // Every depth write of the frame lies inside the noted rectangles...
    const PixelRect noted = depthWriteExtent();
    const long outside = firstWriteOutsideNoted(readDepth());
    if (outside >= 0) ++failures;
    EXPECT_EQ(outside, -1) << "frame " << frame << ": depth written at x " << outside % kWidth
                           << ", y " << outside / kWidth << " outside the noted rectangles";
    partialFrames += noted.right - noted.left < kWidth || noted.top - noted.bottom < kHeight;
    // ...so the clear that only covers them still leaves the whole buffer cleared.
    clearColourAndDepth();
    const long left = firstNotCleared(readDepth());
    if (left >= 0) ++failures;
    EXPECT_EQ(left, -1) << "frame " << frame << ": depth not cleared at x " << left % kWidth
                        << ", y " << left / kWidth;
  });
  EXPECT_GT(partialFrames, frame / 10) << "the partial clear was hardly ever used";
}

// A depth write drawn without being announced, for the cases that must clear all of it.
void drawUnannouncedDepth() {
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glBegin(GL_QUADS);
  {
    glVertex3f(-1, -1, 0);
    glVertex3f(1, -1, 0);
    glVertex3f(1, 1, 0);
    glVertex3f(-1, 1, 0);
  }
  glEnd();
  glDisable(GL_DEPTH_TEST);
}

TEST_F(DepthClear, ClearsEverythingAfterTheWindowChangesSize) {
  clearColourAndDepth();
  drawUnannouncedDepth();
  ASSERT_NE(firstNotCleared(readDepth()), -1);
  // The buffers of a resized window hold anything: its first clear covers all of them.
  windowWidth = kWidth + 1;
  clearColourAndDepth();
  windowWidth = kWidth;
  EXPECT_EQ(firstNotCleared(readDepth()), -1);
  clearColourAndDepth();  // the size changed back: again a full clear
  drawUnannouncedDepth();
  windowWidth = kWidth - 1;
  clearColourAndDepth();
  windowWidth = kWidth;
  EXPECT_EQ(firstNotCleared(readDepth()), -1);
  clearColourAndDepth();
}

TEST_F(DepthClear, ASphereReachingBehindTheEyeCoversTheWholeWindow) {
  clearColourAndDepth();
  windowWidth = kWidth;
  windowHeight = kHeight;
  setupView();
  glEnable(GL_DEPTH_TEST);
  noteDepthWrites(0.01);  // a small sphere about the eye's target: a small rectangle
  const PixelRect small = depthWriteExtent();
  EXPECT_GT(small.left, 0);
  EXPECT_LT(small.right, kWidth);
  noteDepthWrites(5.0);  // reaches behind the eye: no bound but the window
  const PixelRect all = depthWriteExtent();
  EXPECT_EQ(all.left, 0);
  EXPECT_EQ(all.bottom, 0);
  EXPECT_EQ(all.right, kWidth);
  EXPECT_EQ(all.top, kHeight);
  glDepthMask(GL_FALSE);  // nothing is noted while depth writes are off
  clearColourAndDepth();
  noteDepthWrites(0.01);
  const PixelRect none = depthWriteExtent();
  EXPECT_GE(none.left, none.right);
  glDepthMask(GL_TRUE);
  glDisable(GL_DEPTH_TEST);
  clearColourAndDepth();
}

}  // namespace
