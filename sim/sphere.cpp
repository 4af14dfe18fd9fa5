// Sphere meshes: the closed textured sphere behind every round object of the scene, and the
// rectangle of it that one planet fragment covers.
#include <GL/gl.h>

#include <cmath>

#include "core/frame_clear.h"
#include "core/numeric.h"
#include "sim/planet.h"

namespace {

constexpr int kMinSlices = 1;  // fewer columns or rings than these have no surface
constexpr int kMinStacks = 2;

// A patch's row and column bounds come from fractions times small counts; anything beyond
// this is bad input and is held here so the truncation to int stays defined.
constexpr float kPatchBoundLimit = 1.0e6f;

// Sines and cosines of the rings and columns of a tessellation, each computed by the very
// expression a vertex would evaluate, so every value is bit for bit the one a fresh evaluation
// gives. The planet's layers, core and fragments draw the same tessellation several times a
// frame; the tables spare thousands of sines and cosines per frame. Double precision for the
// closed spheres, single precision for the patches, whose rows and columns may run past one
// turn (held to the tables' range, beyond it the values are computed as before).
constexpr int kTableEntries = 128;     // rings and columns per table
constexpr int kKeptTessellations = 4;  // the planet's, the moon's, the meteor's and one more

template <typename Real>
struct TrigTable {
  int slices = 0, stacks = 0;                         // the tessellation held; 0 = none
  Real sinLat[kTableEntries], cosLat[kTableEntries];  // ring i at latitude i * dLat
  Real sinLon[kTableEntries], cosLon[kTableEntries];  // column k - 1 at longitude (k - 1) * dLon
};

TrigTable<double> sphereTables[kKeptTessellations];
int nextSphereTable = 0;
TrigTable<float> patchTable;

template <typename Real>
void fillTable(TrigTable<Real>& t, int slices, int stacks, Real dLon, Real dLat) {
  t.slices = slices;
  t.stacks = stacks;
  for (int i = 0; i < kTableEntries; ++i) {
    const Real lat = i * dLat;
    t.sinLat[i] = std::sin(lat);
    t.cosLat[i] = std::cos(lat);
    const Real lon = (i - 1) * dLon;
    t.sinLon[i] = std::sin(lon);
    t.cosLon[i] = std::cos(lon);
  }
}

const TrigTable<double>& sphereTable(int slices, int stacks, double dLon, double dLat) {
  for (const TrigTable<double>& t : sphereTables) {
    if (t.slices == slices && t.stacks == stacks) return t;
  }
  TrigTable<double>& t = sphereTables[nextSphereTable];
  nextSphereTable = (nextSphereTable + 1) % kKeptTessellations;
  fillTable(t, slices, stacks, dLon, dLat);
  return t;
}

const TrigTable<float>& patchTableFor(int slices, int stacks, float dLon, float dLat) {
  if (patchTable.slices != slices || patchTable.stacks != stacks) {
    fillTable(patchTable, slices, stacks, dLon, dLat);
  }
  return patchTable;
}

bool inTable(int ring, int column) {
  return ring >= 0 && ring < kTableEntries && column >= -1 && column < kTableEntries - 1;
}

// One vertex: unit normal, texture coordinate, position, from the sines and cosines of its
// latitude and longitude.
void emitVertex(double radius, double sinLat, double cosLat, double sinLon, double cosLon, double u,
                double v) {
  const double nx = sinLat * sinLon;
  const double ny = cosLat;
  const double nz = sinLat * cosLon;
  glNormal3d(nx, ny, nz);
  glTexCoord2d(u, v);
  glVertex3d(radius * nx, radius * ny, radius * nz);
}

// The same in single precision, for the patches.
void emitVertex(float radius, float sinLat, float cosLat, float sinLon, float cosLon, float u,
                float v) {
  const float nx = sinLat * sinLon;
  const float ny = cosLat;
  const float nz = sinLat * cosLon;
  glNormal3f(nx, ny, nz);
  glTexCoord2f(u, v);
  glVertex3f(radius * nx, radius * ny, radius * nz);
}

// A vertex of ring `ring` and column `column`, from the table when it holds them.
template <typename Real>
void emitRingVertex(const TrigTable<Real>& t, Real radius, int ring, int column, Real dLat,
                    Real dLon, Real u, Real v) {
  if (inTable(ring, column)) {
    emitVertex(radius, t.sinLat[ring], t.cosLat[ring], t.sinLon[column + 1], t.cosLon[column + 1],
               u, v);
    return;
  }
  const Real lat = ring * dLat;
  const Real lon = column * dLon;
  emitVertex(radius, std::sin(lat), std::cos(lat), std::sin(lon), std::cos(lon), u, v);
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
  noteDepthWrites(radius);  // the frame's next clear restores depth where this sphere lands
  const double dLon = kTwoPi / slices;
  const double dLat = kPi / (stacks - 1);
  const TrigTable<double>& trig = sphereTable(slices, stacks, dLon, dLat);
  for (int band = 0; band <= stacks - 2; ++band) {
    const double v0 = band * vScale / stacks + vOffset;
    const double v1 = (band + 1) * vScale / stacks + vOffset;
    glBegin(GL_QUAD_STRIP);
    {
      // Columns run west from slices - 1 to -1; the last one repeats the first position so
      // the strip closes, while its u goes on below 0 so the texture repeats across the seam.
      for (int column = slices - 1; column >= -1; --column) {
        const int position = column == -1 ? slices - 1 : column;
        const double u = column * uScale / slices + uOffset;
        emitRingVertex(trig, radius, band + 1, position, dLat, dLon, u, v1);
        emitRingVertex(trig, radius, band, position, dLat, dLon, u, v0);
      }
    }
    glEnd();
  }
}

void drawSpherePatch(float radius, int slices, int stacks, float uOffset, float vOffset,
                     float uStart, float vStart, float uEnd, float vEnd) {
  if (slices < kMinSlices || stacks < kMinStacks) return;
  noteDepthWrites(radius);  // every vertex lies on the sphere of this radius
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
  const TrigTable<float>& trig = patchTableFor(slices, stacks, dLon, dLat);
  for (int row = rowStart; row < rowEnd; ++row) {
    // Rows past stacks - 1 have latitudes beyond pi: they lie on the far side of the sphere,
    // with v above 1 where the texture repeats.
    const float v0 = static_cast<float>(row) / stacks + vOffset;
    const float v1 = static_cast<float>(row + 1) / stacks + vOffset;
    glBegin(GL_QUAD_STRIP);
    {
      for (int column = colEnd - 1; column >= colStart - 1; --column) {
        const float u = static_cast<float>(column) / slices + uOffset;
        emitRingVertex(trig, radius, row + 1, column, dLat, dLon, u, v1);
        emitRingVertex(trig, radius, row, column, dLat, dLon, u, v0);
      }
    }
    glEnd();
  }
}
