// Sphere meshes: the closed textured sphere behind every round object of the scene, and the
// rectangle of it that one planet fragment covers.
#include <GL/gl.h>

#include <cmath>

#include "sim/numeric.h"
#include "sim/planet.h"

namespace {

constexpr int kMinSlices = 1;  // fewer columns or rings than these have no surface
constexpr int kMinStacks = 2;

// A patch's row and column bounds come from fractions times small counts; anything beyond
// this is bad input and is held here so the truncation to int stays defined.
constexpr float kPatchBoundLimit = 1.0e6f;

// One ring vertex of the closed sphere: unit normal, texture coordinate, position.
void emitSphereVertex(double radius, double latitude, double longitude, double u, double v) {
  const double nx = std::sin(latitude) * std::sin(longitude);
  const double ny = std::cos(latitude);
  const double nz = std::sin(latitude) * std::cos(longitude);
  glNormal3d(nx, ny, nz);
  glTexCoord2d(u, v);
  glVertex3d(radius * nx, radius * ny, radius * nz);
}

// The same in single precision, for the patches.
void emitPatchVertex(float radius, float latitude, float longitude, float u, float v) {
  const float nx = std::sin(latitude) * std::sin(longitude);
  const float ny = std::cos(latitude);
  const float nz = std::sin(latitude) * std::cos(longitude);
  glNormal3f(nx, ny, nz);
  glTexCoord2f(u, v);
  glVertex3f(radius * nx, radius * ny, radius * nz);
}

// Truncation toward zero, with NaN and out-of-range values held to a safe range.
int truncateBound(float value) {
  if (std::isnan(value)) return 0;
  if (value > kPatchBoundLimit) return static_cast<int>(kPatchBoundLimit);
  if (value < -kPatchBoundLimit) return -static_cast<int>(kPatchBoundLimit);
  return static_cast<int>(value);
}

}  // namespace

void drawSphere(double radius, int slices, int stacks, double uScale, double vScale, double uOffset,
                double vOffset) {
  if (slices < kMinSlices || stacks < kMinStacks) return;
  const double dLon = kTwoPi / slices;
  const double dLat = kPi / (stacks - 1);
  for (int band = 0; band <= stacks - 2; ++band) {
    const double lat0 = band * dLat;
    const double lat1 = (band + 1) * dLat;
    const double v0 = band * vScale / stacks + vOffset;
    const double v1 = (band + 1) * vScale / stacks + vOffset;
    glBegin(GL_QUAD_STRIP);
    {
      // Columns run west from slices - 1 to -1; the last one repeats the first position so
      // the strip closes, while its u goes on below 0 so the texture repeats across the seam.
      for (int column = slices - 1; column >= -1; --column) {
        const double lon = (column == -1 ? slices - 1 : column) * dLon;
        const double u = column * uScale / slices + uOffset;
        emitSphereVertex(radius, lat1, lon, u, v1);
        emitSphereVertex(radius, lat0, lon, u, v0);
      }
    }
    glEnd();
  }
}

void drawSpherePatch(float radius, int slices, int stacks, float uOffset, float vOffset,
                     float uStart, float vStart, float uEnd, float vEnd) {
  if (slices < kMinSlices || stacks < kMinStacks) return;
  const int colStart = truncateBound((slices + 1) * uStart);
  int colEnd = truncateBound((slices + 1) * uEnd);
  const int rowStart = truncateBound(stacks * vStart);
  int rowEnd = truncateBound(stacks * vEnd);
  // An empty rectangle still shows one column and one row; an oversized one at most a
  // sphere's worth.
  if (colEnd <= colStart) colEnd = colStart + 1;
  if (rowEnd <= rowStart) rowEnd = rowStart + 1;
  if (colEnd - colStart > slices + 1) colEnd = colStart + slices;
  if (rowEnd - rowStart > stacks - 1) rowEnd = rowStart + stacks - 1;

  const float dLon = static_cast<float>(kTwoPi / slices);
  const float dLat = static_cast<float>(kPi / (stacks - 1));
  for (int row = rowStart; row < rowEnd; ++row) {
    // Rows past stacks - 1 have latitudes beyond pi: they lie on the far side of the sphere,
    // with v above 1 where the texture repeats.
    const float lat0 = row * dLat;
    const float lat1 = (row + 1) * dLat;
    const float v0 = static_cast<float>(row) / stacks + vOffset;
    const float v1 = static_cast<float>(row + 1) / stacks + vOffset;
    glBegin(GL_QUAD_STRIP);
    {
      for (int column = colEnd - 1; column >= colStart - 1; --column) {
        const float lon = column * dLon;
        const float u = static_cast<float>(column) / slices + uOffset;
        emitPatchVertex(radius, lat1, lon, u, v1);
        emitPatchVertex(radius, lat0, lon, u, v0);
      }
    }
    glEnd();
  }
}
