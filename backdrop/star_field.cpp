// The star field: coloured points placed at random in a shell around the planet, compiled
// once into a display list and drawn twice a frame, the second copy turned and larger.
#include "backdrop/star_field.h"

#include <GL/gl.h>

#include <cmath>

#include "core/numeric.h"

namespace {

constexpr double kCubeMargin = 0.01;      // the cube shell's hole is this much wider
constexpr double kWideColourShare = 0.1;  // share of stars with the wider colour range
constexpr double kColourScale = 0.8;
constexpr float kSecondCopyTurn = 120.0f;  // degrees about y
constexpr float kSmallPoint = 1.0f;        // pixels
constexpr float kLargePoint = 2.0f;

// A star that finds no place in this many attempts ends the build: only a region thinner
// than the generator's grid gets there, and the program must not hang on it.
constexpr long kMaxPlacementAttempts = 100000;

struct StarPoint {
  double x, y, z;
};

}  // namespace

StarField starField;

namespace {

bool insideRegion(const StarPoint& p, double outer, double inner, int shape) {
  if (shape == kStarCubeShell) {
    const double hole = inner + kCubeMargin;
    return std::fabs(p.x) >= hole || std::fabs(p.y) >= hole || std::fabs(p.z) >= hole;
  }
  const double r = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
  const bool inShell = inner <= r && r <= outer;
  if (shape == kStarUpperShell) return inShell && p.y >= 0;
  return inShell;
}

// Written so that NaN radii also count as empty.
bool regionIsEmpty(double outer, double inner, int shape) {
  if (!(outer >= 0)) return true;
  if (shape == kStarCubeShell) return !(inner + kCubeMargin < outer);
  return !(inner < outer);
}

// Rejection sampling in the cube [-outer, outer)^3, drawing x, then y, then z per attempt.
// Returns false when the attempts run out.
bool placeStar(double outer, double inner, int shape, StarPoint& p) {
  const double width = 2.0 * outer;
  for (long attempt = 0; attempt < kMaxPlacementAttempts; ++attempt) {
    p.x = randomUniform(width) - outer;
    p.y = randomUniform(width) - outer;
    p.z = randomUniform(width) - outer;
    if (insideRegion(p, outer, inner, shape)) return true;
  }
  return false;
}

float starChannel(bool wideRange) {
  const double value = wideRange ? randomUniform(0.5) + 0.3 : randomUniform(0.3) + 0.5;
  return static_cast<float>(value * kColourScale);
}

// Most stars are dim near-greys; about one in ten varies more in hue and brightness.
void emitStarColour() {
  const bool wideRange = randomUniform(1) < kWideColourShare;
  const float blue = starChannel(wideRange);
  const float green = starChannel(wideRange);
  const float red = starChannel(wideRange);
  glColor3f(red, green, blue);
}

}  // namespace

void StarField::buildStarField(int count, float outerRadius, float innerRadius, int shape) {
  releaseStarField();
  const GLuint list = glGenLists(1);
  if (list == 0) return;  // no list could be made: stay without one
  starList = list;

  const double outer = outerRadius;
  const double inner = innerRadius;
  // An empty region gives an empty list rather than a search that never ends.
  const int stars = regionIsEmpty(outer, inner, shape) ? 0 : count;
  glNewList(starList, GL_COMPILE);
  glBegin(GL_POINTS);
  {
    StarPoint p{};
    for (int i = 0; i < stars && placeStar(outer, inner, shape, p); ++i) {
      emitStarColour();
      glVertex3d(p.x, p.y, p.z);
    }
  }
  glEnd();
  glEndList();
}

void StarField::drawStarField() {
  if (starList == kNoStarList) return;
  glColor3f(1, 1, 1);
  glDepthMask(GL_FALSE);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPushMatrix();
  {
    glPointSize(kSmallPoint);
    glCallList(starList);
    glRotatef(kSecondCopyTurn, 0, 1, 0);
    glPointSize(kLargePoint);
    glCallList(starList);
  }
  glPopMatrix();
  glDepthMask(GL_TRUE);
}

void StarField::releaseStarField() {
  if (starList == kNoStarList) return;
  glDeleteLists(starList, 1);
  starList = kNoStarList;
}
