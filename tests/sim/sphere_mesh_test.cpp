// The sphere meshes as a driver receives them: this program defines glBegin, glNormal,
// glTexCoord and glVertex itself and records the calls, so order, positions, normals and texture
// coordinates are checked exactly.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "sim/planet.h"

namespace {

struct Vertex {
  double nx, ny, nz, u, v, x, y, z;
};
std::vector<std::vector<Vertex>> strips;  // one per glBegin(GL_QUAD_STRIP)
double normal[3], texCoord[2];

}  // namespace

extern "C" {
void glBegin(GLenum mode) {
  if (mode == GL_QUAD_STRIP) strips.emplace_back();
}
void glEnd() {}
void glNormal3d(GLdouble x, GLdouble y, GLdouble z) {
  normal[0] = x, normal[1] = y, normal[2] = z;
}
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  glNormal3d(x, y, z);
}
void glTexCoord2d(GLdouble u, GLdouble v) {
  texCoord[0] = u, texCoord[1] = v;
}
void glTexCoord2f(GLfloat u, GLfloat v) {
  glTexCoord2d(u, v);
}
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
  strips.back().push_back({normal[0], normal[1], normal[2], texCoord[0], texCoord[1], x, y, z});
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  glVertex3d(x, y, z);
}
}

namespace {

constexpr double kPi = 3.14159265358979;

// A 6 x 5 sphere of radius 2, u scaled by 2 and offset by 0.25, v scaled by 3 and offset by -0.5:
// strips from the north pole down, each running west from column 5 to -1, lower ring first; the
// last column repeats the first position with u going on below its offset; unit normals along
// the position.
TEST(SphereMesh, RingsRunPoleToPoleAndColumnsWestClosingOnTheFirst) {
  strips.clear();
  drawSphere(2, 6, 5, 2, 3, 0.25, -0.5);
  ASSERT_EQ(strips.size(), 4u);
  for (int band = 0; band < 4; ++band) {
    ASSERT_EQ(strips[band].size(), 14u) << "band " << band;
    for (int k = 0; k < 14; ++k) {
      const Vertex& p = strips[band][k];
      const int ring = band + (k % 2 == 0 ? 1 : 0);
      const int column = 5 - k / 2;  // 5 .. -1
      const double lat = ring * kPi / 4, lon = (column < 0 ? 5 : column) * kPi / 3;
      const std::string where = "band " + std::to_string(band) + " vertex " + std::to_string(k);
      EXPECT_NEAR(p.y, 2 * std::cos(lat), 1e-9) << where;
      EXPECT_NEAR(p.x, 2 * std::sin(lat) * std::sin(lon), 1e-9) << where;
      EXPECT_NEAR(p.z, 2 * std::sin(lat) * std::cos(lon), 1e-9) << where;
      EXPECT_NEAR(p.nx * 2, p.x, 1e-9) << where;
      EXPECT_NEAR(p.ny * 2, p.y, 1e-9) << where;
      EXPECT_NEAR(p.u, column * 2.0 / 6 + 0.25, 1e-9) << where;
      EXPECT_NEAR(p.v, ring * 3.0 / 5 - 0.5, 1e-9) << where;
    }
  }
}

// Patches (fragments) cover the truncated rectangle, (slices + 1) columns by stacks rows, with
// one column more to the west; an empty one still one column and one row, an oversized or bad
// one at most a sphere; too few slices or stacks draw nothing, for spheres as for patches.
TEST(SpherePatch, CoversItsRectangleAndNeverMoreThanASphere) {
  const float nan = std::nanf("");
  const struct {
    float uStart, vStart, uEnd, vEnd;
    int slices, stacks;
    size_t strips, vertices;  // strips and vertices in each
    double firstU, firstV;    // of the first vertex
  } patches[] = {
      {0.25f, 0.2f, 0.5f, 0.5f, 10, 10, 3, 8, 0.4, 0.3},  // columns 4..1, rows 2..4
      {0.5f, 0.5f, 0.5f, 0.5f, 10, 10, 1, 4, 0.5, 0.6},   // empty: column 5, row 5
      {0, 0, 3, 3, 10, 10, 9, 22, 0.9, 0.1},              // held to one sphere
      {0.2f, 1.5f, 0.3f, 1.7f, 10, 10, 2, 4, 0.2, 1.6},   // rows 15, 16: past the pole
      {nan, nan, nan, nan, 10, 10, 1, 4, 0.0, 0.1},       // bad bounds count as 0
      {1e30f, 1e30f, -1e30f, -1e30f, 10, 10, 1, 4, 100000, 100000.1},
      {0, 0, 1, 1, 0, 10, 0, 0, 0, 0},
      {0, 0, 1, 1, 10, 1, 0, 0, 0, 0},
  };
  for (const auto& p : patches) {
    strips.clear();
    drawSpherePatch(1, p.slices, p.stacks, 0, 0, p.uStart, p.vStart, p.uEnd, p.vEnd);
    const std::string row = std::to_string(p.uStart) + " " + std::to_string(p.vStart);
    ASSERT_EQ(strips.size(), p.strips) << row;
    for (const auto& strip : strips) EXPECT_EQ(strip.size(), p.vertices) << row;
    if (p.strips == 0) continue;
    EXPECT_NEAR(strips[0][0].u, p.firstU, 1e-2) << row;
    EXPECT_NEAR(strips[0][0].v, p.firstV, 1e-2) << row;
    for (const auto& strip : strips) {
      for (const Vertex& v : strip) EXPECT_NEAR(std::hypot(v.x, v.y, v.z), 1, 1e-5) << row;
    }
  }
  strips.clear();
  drawSphere(1, 0, 10, 1, 1, 0, 0);
  drawSphere(1, 10, 1, 1, 1, 0, 0);
  EXPECT_TRUE(strips.empty());
}

}  // namespace
