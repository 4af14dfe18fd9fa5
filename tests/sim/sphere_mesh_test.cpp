// The sphere meshes as emitted: this program records the immediate-mode calls (its own
// glBegin, glNormal, glTexCoord, glVertex take the place of the driver's), so counts, order,
// normals and texture coordinates are checked exactly as a driver would receive them.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "sim/numeric.h"
#include "sim/planet.h"

namespace {

struct Vertex {
  double nx, ny, nz;  // normal
  double u, v;        // texture coordinate
  double x, y, z;     // position
};

struct Strip {
  GLenum mode;
  std::vector<Vertex> vertices;
};

std::vector<Strip> strips;
double normal[3];
double texCoord[2];

void record(double x, double y, double z) {
  strips.back().vertices.push_back(
      {normal[0], normal[1], normal[2], texCoord[0], texCoord[1], x, y, z});
}

}  // namespace

extern "C" {
void glBegin(GLenum mode) {
  strips.push_back({mode, {}});
}
void glEnd() {}
void glNormal3d(GLdouble x, GLdouble y, GLdouble z) {
  normal[0] = x, normal[1] = y, normal[2] = z;
}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  normal[0] = x, normal[1] = y, normal[2] = z;
}
void glTexCoord2d(GLdouble u, GLdouble v) {
  texCoord[0] = u, texCoord[1] = v;
}
void glTexCoord2f(GLfloat u, GLfloat v) {
  texCoord[0] = u, texCoord[1] = v;
}
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
  record(x, y, z);
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  record(x, y, z);
}
}

namespace {

constexpr double kTolerance = 1e-6;

// Longitude of a position: 0 towards +z, growing towards +x, in [0, 2 pi).
double longitudeOf(const Vertex& p) {
  const double lon = std::atan2(p.x, p.z);
  return lon < -1e-9 ? lon + kTwoPi : std::max(lon, 0.0);
}

double latitudeOf(const Vertex& p, double radius) {
  return std::acos(p.y / radius);
}

std::vector<Strip> recordSphere(double radius, int slices, int stacks, double uScale = 1,
                                double vScale = 1, double uOffset = 0, double vOffset = 0) {
  strips.clear();
  drawSphere(radius, slices, stacks, uScale, vScale, uOffset, vOffset);
  return strips;
}

std::vector<Strip> recordPatch(int slices, int stacks, float uStart, float vStart, float uEnd,
                               float vEnd, float uOffset = 0, float vOffset = 0) {
  strips.clear();
  drawSpherePatch(1.0f, slices, stacks, uOffset, vOffset, uStart, vStart, uEnd, vEnd);
  return strips;
}

// Newell's normal of the quad (a, b, d, c) that a quad strip forms from vertices a, b, c, d.
void quadNormal(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d, double out[3]) {
  const Vertex* loop[4] = {&a, &b, &d, &c};
  out[0] = out[1] = out[2] = 0;
  for (int i = 0; i < 4; ++i) {
    const Vertex& p = *loop[i];
    const Vertex& q = *loop[(i + 1) % 4];
    out[0] += (p.y - q.y) * (p.z + q.z);
    out[1] += (p.z - q.z) * (p.x + q.x);
    out[2] += (p.x - q.x) * (p.y + q.y);
  }
}

TEST(SphereMesh, HasStacksMinusOneStripsOfSlicesPlusOneColumns) {
  const int sizes[][2] = {{3, 3}, {30, 30}, {40, 40}, {7, 12}};
  for (const auto& size : sizes) {
    const auto mesh = recordSphere(1, size[0], size[1]);
    ASSERT_EQ(mesh.size(), static_cast<size_t>(size[1] - 1)) << size[0] << "x" << size[1];
    for (const Strip& strip : mesh) {
      EXPECT_EQ(strip.mode, static_cast<GLenum>(GL_QUAD_STRIP));
      EXPECT_EQ(strip.vertices.size(), static_cast<size_t>(2 * (size[0] + 1)));
    }
  }
}

TEST(SphereMesh, RunsWestFromTheLastColumnLowerRingFirstAndClosesOnTheFirstColumn) {
  const int slices = 6, stacks = 5;
  const double radius = 2.0, uScale = 2.0, vScale = 3.0, uOffset = 0.25, vOffset = -0.5;
  const double dLon = kTwoPi / slices, dLat = kPi / (stacks - 1);
  const auto mesh = recordSphere(radius, slices, stacks, uScale, vScale, uOffset, vOffset);
  for (int band = 0; band < stacks - 1; ++band) {
    const auto& v = mesh[band].vertices;
    for (int column = 0; column <= slices; ++column) {
      const Vertex& lower = v[2 * column];
      const Vertex& upper = v[2 * column + 1];
      EXPECT_NEAR(latitudeOf(lower, radius), (band + 1) * dLat, 1e-9);
      EXPECT_NEAR(latitudeOf(upper, radius), band * dLat, 1e-9);
      const int index = slices - 1 - column;  // slices - 1 down to -1
      // Rings through a pole have no longitude to check.
      if (band + 1 < stacks - 1) {
        const double expected = (index == -1 ? slices - 1 : index) * dLon;
        EXPECT_NEAR(longitudeOf(lower), expected, 1e-9) << band << " " << column;
      }
      EXPECT_NEAR(lower.u, index * uScale / slices + uOffset, kTolerance);
      EXPECT_NEAR(upper.u, lower.u, kTolerance);
      EXPECT_NEAR(lower.v, (band + 1) * vScale / stacks + vOffset, kTolerance);
      EXPECT_NEAR(upper.v, band * vScale / stacks + vOffset, kTolerance);
    }
    // The closing column sits exactly on the first one, with u one step below zero.
    const Vertex& first = v[0];
    const Vertex& closing = v[2 * slices];
    EXPECT_DOUBLE_EQ(closing.x, first.x);
    EXPECT_DOUBLE_EQ(closing.z, first.z);
    EXPECT_NEAR(closing.u, -uScale / slices + uOffset, kTolerance);
  }
}

TEST(SphereMesh, SpansPoleToPoleWithVOfTheSouthPoleBelowOne) {
  const int slices = 30, stacks = 30;
  const double radius = 0.07;
  const auto mesh = recordSphere(radius, slices, stacks);
  for (size_t i = 1; i < mesh.front().vertices.size(); i += 2) {
    const Vertex& north = mesh.front().vertices[i];
    EXPECT_NEAR(north.y, radius, 1e-12);
    EXPECT_NEAR(north.v, 0, 1e-12);
  }
  for (size_t i = 0; i < mesh.back().vertices.size(); i += 2) {
    const Vertex& south = mesh.back().vertices[i];
    EXPECT_NEAR(south.y, -radius, 1e-12);
    EXPECT_NEAR(std::hypot(south.x, south.z), 0, 1e-9);
    EXPECT_NEAR(south.v, 29.0 / 30.0, 1e-12);
  }
}

TEST(SphereMesh, NormalsAreUnitAndPointAlongThePosition) {
  const double radius = 0.5;
  for (const Strip& strip : recordSphere(radius, 12, 9)) {
    for (const Vertex& p : strip.vertices) {
      EXPECT_NEAR(std::sqrt(p.nx * p.nx + p.ny * p.ny + p.nz * p.nz), 1, 1e-12);
      EXPECT_NEAR(p.x, radius * p.nx, 1e-12);
      EXPECT_NEAR(p.y, radius * p.ny, 1e-12);
      EXPECT_NEAR(p.z, radius * p.nz, 1e-12);
    }
  }
}

TEST(SphereMesh, OutsideFacesAreCounterClockwise) {
  int quads = 0;
  for (const Strip& strip : recordSphere(1, 16, 11)) {
    const auto& v = strip.vertices;
    for (size_t i = 0; i + 3 < v.size(); i += 2) {
      double n[3];
      quadNormal(v[i], v[i + 1], v[i + 2], v[i + 3], n);
      const double cx = v[i].x + v[i + 1].x + v[i + 2].x + v[i + 3].x;
      const double cy = v[i].y + v[i + 1].y + v[i + 2].y + v[i + 3].y;
      const double cz = v[i].z + v[i + 1].z + v[i + 2].z + v[i + 3].z;
      EXPECT_GT(n[0] * cx + n[1] * cy + n[2] * cz, 0) << "quad " << i / 2;
      ++quads;
    }
  }
  EXPECT_EQ(quads, 10 * 16);
}

TEST(SphereMesh, NothingIsDrawnWithoutSlicesOrWithASingleStack) {
  EXPECT_TRUE(recordSphere(1, 0, 10).empty());
  EXPECT_TRUE(recordSphere(1, -3, 10).empty());
  EXPECT_TRUE(recordSphere(1, 10, 1).empty());
  EXPECT_TRUE(recordPatch(0, 10, 0, 0, 1, 1).empty());
  EXPECT_TRUE(recordPatch(10, 1, 0, 0, 1, 1).empty());
}

TEST(SpherePatch, CoversTheTruncatedRectangleWithOneExtraColumnWestward) {
  // Columns trunc(11 * 0.25) = 2 .. trunc(11 * 0.5) = 5, rows trunc(10 * 0.2) = 2 .. 5.
  const int slices = 10, stacks = 10;
  const float dLon = static_cast<float>(kTwoPi / slices);
  const float dLat = static_cast<float>(kPi / (stacks - 1));
  const auto mesh = recordPatch(slices, stacks, 0.25f, 0.2f, 0.5f, 0.5f, 0.125f, 0.5f);
  ASSERT_EQ(mesh.size(), 3u);
  for (int r = 0; r < 3; ++r) {
    const int row = 2 + r;
    const auto& v = mesh[r].vertices;
    ASSERT_EQ(v.size(), 8u);  // columns 4, 3, 2, 1
    for (int c = 0; c < 4; ++c) {
      const int column = 4 - c;
      EXPECT_NEAR(latitudeOf(v[2 * c], 1), (row + 1) * dLat, 1e-5);
      EXPECT_NEAR(latitudeOf(v[2 * c + 1], 1), row * dLat, 1e-5);
      EXPECT_NEAR(longitudeOf(v[2 * c]), column * dLon, 1e-5);
      EXPECT_NEAR(v[2 * c].u, column / 10.0 + 0.125, 1e-6);
      EXPECT_NEAR(v[2 * c].v, (row + 1) / 10.0 + 0.5, 1e-6);
      EXPECT_NEAR(v[2 * c + 1].v, row / 10.0 + 0.5, 1e-6);
    }
  }
}

TEST(SpherePatch, AnEmptyRectangleStillDrawsOneColumnAndOneRow) {
  const auto mesh = recordPatch(10, 10, 0.5f, 0.5f, 0.5f, 0.5f);
  ASSERT_EQ(mesh.size(), 1u);
  ASSERT_EQ(mesh[0].vertices.size(), 4u);
  EXPECT_NEAR(mesh[0].vertices[0].u, 0.5, 1e-6);  // column trunc(11 * 0.5) = 5...
  EXPECT_NEAR(mesh[0].vertices[2].u, 0.4, 1e-6);  // ...and 4
  EXPECT_NEAR(mesh[0].vertices[0].v, 0.6, 1e-6);  // row 5 to 6
}

TEST(SpherePatch, StartingAtColumnZeroReachesColumnMinusOneWithoutClosing) {
  const int slices = 12;
  const auto mesh = recordPatch(slices, 8, 0, 0.25f, 0.1f, 0.5f);
  const Vertex& last = mesh[0].vertices.back();
  EXPECT_NEAR(last.u, -1.0 / slices, 1e-6);
  EXPECT_NEAR(std::atan2(last.x, last.z), -kTwoPi / slices, 1e-5);  // west of longitude 0
}

TEST(SpherePatch, AnOversizedRectangleIsHeldToOneSphere) {
  // u up to 3 would be 33 columns: held to slices; v up to 3 would be 30 rows: held to 9.
  const auto mesh = recordPatch(10, 10, 0, 0, 3, 3);
  ASSERT_EQ(mesh.size(), 9u);
  for (const Strip& strip : mesh) EXPECT_EQ(strip.vertices.size(), 22u);
}

TEST(SpherePatch, RowsBeyondTheSouthPoleLieOnTheFarSide) {
  // Rows 15 and 16 of 10 stacks: latitudes past pi, v above 1, never skipped.
  const int slices = 10, stacks = 10;
  const auto mesh = recordPatch(slices, stacks, 0.2f, 1.5f, 0.3f, 1.7f);
  ASSERT_EQ(mesh.size(), 2u);
  const float dLat = static_cast<float>(kPi / (stacks - 1));
  for (int r = 0; r < 2; ++r) {
    for (const Vertex& p : mesh[r].vertices) {
      EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), 1, 1e-5);
      EXPECT_GT(p.v, 1.0);
    }
    const Vertex& lower = mesh[r].vertices[0];  // column 2, lower ring of row 15 + r
    const double lat = (15 + r + 1) * dLat;
    EXPECT_NEAR(lower.y, std::cos(lat), 1e-5);
    // sin(lat) < 0 puts the point opposite its longitude: (x, z) points away from it.
    const double lon = 2 * kTwoPi / slices;
    EXPECT_LT(lower.x * std::sin(lon) + lower.z * std::cos(lon), 0);
  }
}

TEST(SpherePatch, BadBoundsStayWithinOneSphereWithoutFailing) {
  const float nan = std::nanf("");
  const float bounds[][4] = {
      {nan, nan, nan, nan}, {-1e30f, -1e30f, 1e30f, 1e30f}, {1e30f, 1e30f, -1e30f, -1e30f}};
  for (const auto& b : bounds) {
    const auto mesh = recordPatch(10, 10, b[0], b[1], b[2], b[3]);
    EXPECT_LE(mesh.size(), 9u);
    for (const Strip& strip : mesh) EXPECT_LE(strip.vertices.size(), 24u);
  }
}

}  // namespace
