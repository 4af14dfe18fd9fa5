// The frame's clear: colour everywhere, depth only where depth was written since the last clear.
// Everything outside the noted rectangle still holds the clear depth, so the result is the same.
#include "core/frame_clear.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "core/frame_clock.h"

namespace {

// Beyond a vertex's own pixel: half of the widest point (2 pixels, stars and sparks leave it
// set) plus a pixel for rasterisation rules and rounding between our transform and the driver's.
constexpr int kMarginPixels = 4;
constexpr double kFullClearShare = 0.5;  // of the window area: above it one full clear is cheaper
constexpr double kMinClipW = 1e-6;       // corners closer to the eye plane make the bound unbounded
constexpr int kNotedRects = 4;

}  // namespace

namespace {

// Window pixels written with depth since the last depth clear: a few rectangles, so that the
// planet and its distant moon do not make one rectangle of all the space between them.
PixelRect noted[kNotedRects];
bool wholeWindow = true;  // depth state unknown (start, resize): the next clear covers all
int clearedWidth = -1;    // window size at the last clear, pixels
int clearedHeight = -1;

bool isEmpty(const PixelRect& r) {
  return r.left >= r.right || r.bottom >= r.top;
}

PixelRect unite(const PixelRect& a, const PixelRect& b) {
  if (isEmpty(a)) return b;
  if (isEmpty(b)) return a;
  return {std::min(a.left, b.left), std::min(a.bottom, b.bottom), std::max(a.right, b.right),
          std::max(a.top, b.top)};
}

long area(const PixelRect& r) {
  return isEmpty(r) ? 0 : static_cast<long>(r.right - r.left) * (r.top - r.bottom);
}

bool overlap(const PixelRect& a, const PixelRect& b) {
  return a.left < b.right && b.left < a.right && a.bottom < b.top && b.bottom < a.top;
}

// Adds a rectangle: merged into one it overlaps (and the result into any it then overlaps),
// else kept on its own while there is room, else merged where the union grows least.
void addNoted(PixelRect r) {
  for (;;) {
    int target = -1;
    for (int i = 0; i < kNotedRects && target < 0; ++i) {
      if (!isEmpty(noted[i]) && overlap(noted[i], r)) target = i;
    }
    if (target < 0) break;
    r = unite(noted[target], r);
    noted[target] = {};
  }
  int best = -1;
  long bestGrowth = 0;
  for (int i = 0; i < kNotedRects; ++i) {
    if (isEmpty(noted[i])) {
      noted[i] = r;
      return;
    }
    const long growth = area(unite(noted[i], r)) - area(noted[i]);
    if (best < 0 || growth < bestGrowth) {
      best = i;
      bestGrowth = growth;
    }
  }
  noted[best] = unite(noted[best], r);
  // The grown rectangle may now overlap another: fold it back in.
  const PixelRect grown = noted[best];
  noted[best] = {};
  addNoted(grown);
}

PixelRect clipToWindow(const PixelRect& r) {
  return {std::max(r.left, 0), std::max(r.bottom, 0), std::min(r.right, windowWidth),
          std::min(r.top, windowHeight)};
}

bool writesDepth() {
  if (!glIsEnabled(GL_DEPTH_TEST)) return false;
  GLboolean mask = GL_TRUE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
  return mask == GL_TRUE;
}

// Largest length a unit vector can get from the model-view's upper 3 x 3 (1 for rotations).
double largestScale(const GLfloat* m) {
  double largest = 0;
  for (int column = 0; column < 3; ++column) {
    const double x = m[column * 4], y = m[column * 4 + 1], z = m[column * 4 + 2];
    largest = std::max(largest, std::sqrt(x * x + y * y + z * z));
  }
  return largest;
}

// Window bounds of the eye-space box [centre - r, centre + r]. Every corner in front of the eye
// plane puts the whole box there, where the projection keeps it inside its corners' hull;
// otherwise the bound is the whole window.
bool projectBox(const double* centre, double r, const GLfloat* p, const GLint* viewport,
                PixelRect& out) {
  double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  for (int corner = 0; corner < 8; ++corner) {
    const double x = centre[0] + ((corner & 1) ? r : -r);
    const double y = centre[1] + ((corner & 2) ? r : -r);
    const double z = centre[2] + ((corner & 4) ? r : -r);
    const double cx = p[0] * x + p[4] * y + p[8] * z + p[12];
    const double cy = p[1] * x + p[5] * y + p[9] * z + p[13];
    const double cw = p[3] * x + p[7] * y + p[11] * z + p[15];
    if (!(cw > kMinClipW)) return false;
    const double wx = viewport[0] + (cx / cw + 1) * 0.5 * viewport[2];
    const double wy = viewport[1] + (cy / cw + 1) * 0.5 * viewport[3];
    if (!std::isfinite(wx) || !std::isfinite(wy)) return false;
    minX = std::min(minX, wx);
    maxX = std::max(maxX, wx);
    minY = std::min(minY, wy);
    maxY = std::max(maxY, wy);
  }
  // Far outside the window the bound is the window's own edge; this also keeps the int casts
  // in range.
  const double limit = 4.0 * (std::max(windowWidth, windowHeight) + 1);
  out.left = static_cast<int>(std::floor(std::clamp(minX, -limit, limit))) - kMarginPixels;
  out.bottom = static_cast<int>(std::floor(std::clamp(minY, -limit, limit))) - kMarginPixels;
  out.right = static_cast<int>(std::ceil(std::clamp(maxX, -limit, limit))) + kMarginPixels + 1;
  out.top = static_cast<int>(std::ceil(std::clamp(maxY, -limit, limit))) + kMarginPixels + 1;
  return true;
}

bool coversMostOfTheWindow() {
  double total = 0;
  for (const PixelRect& r : noted) total += static_cast<double>(area(clipToWindow(r)));
  return total > kFullClearShare * windowWidth * windowHeight;
}

}  // namespace

void clearColourAndDepth() {
  const bool resized = windowWidth != clearedWidth || windowHeight != clearedHeight;
  if (wholeWindow || resized || coversMostOfTheWindow()) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  } else {
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    for (const PixelRect& r : noted) {
      const PixelRect rect = clipToWindow(r);
      if (isEmpty(rect)) continue;
      glScissor(rect.left, rect.bottom, rect.right - rect.left, rect.top - rect.bottom);
      glClear(GL_DEPTH_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
  }
  for (PixelRect& r : noted) r = {};
  wholeWindow = false;
  clearedWidth = windowWidth;
  clearedHeight = windowHeight;
}

void noteDepthWrites(double radius) {
  if (wholeWindow || !writesDepth()) return;
  GLfloat m[16];
  GLfloat p[16];
  GLint viewport[4];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  glGetFloatv(GL_PROJECTION_MATRIX, p);
  glGetIntegerv(GL_VIEWPORT, viewport);
  const double centre[3] = {m[12], m[13], m[14]};
  const double r = std::fabs(radius) * largestScale(m) * (1 + 1e-5) + 1e-6;
  PixelRect bound;
  if (!std::isfinite(r) || !projectBox(centre, r, p, viewport, bound)) {
    wholeWindow = true;
    return;
  }
  addNoted(bound);
}

bool depthWriteNoted(int x, int y) {
  if (wholeWindow) return true;
  for (const PixelRect& r : noted) {
    if (x >= r.left && x < r.right && y >= r.bottom && y < r.top) return true;
  }
  return false;
}

PixelRect depthWriteExtent() {
  if (wholeWindow) return {0, 0, windowWidth, windowHeight};
  PixelRect all{};
  for (const PixelRect& r : noted) all = unite(all, r);
  return clipToWindow(all);
}
