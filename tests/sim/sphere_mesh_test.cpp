// The sphere meshes as a driver receives them: this program defines glBegin, glNormal,
// glTexCoord and glVertex itself and records the calls, so order, positions, normals and texture
// coordinates are checked exactly.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
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

// A 6 x 5 sphere of radius 2 (u scaled by 2, v by 3 and offset by -0.5) runs in 4 strips from the
// north pole (v = -0.5) to the south (v = 1.9), each of 7 columns, the last closing on the first
// with u a scale further; every vertex at its ring's latitude and its column's longitude, normal
// along position; also a 140 x 140 sphere, past the 128 entries of the sine tables.
TEST(SphereMesh, RunsPoleToPoleAndClosesEveryStrip) {
  for (const auto& [slices, stacks, radius] : {std::tuple{6, 5, 2.0}, {140, 140, 1.0}}) {
    strips.clear();
    drawSphere(radius, slices, stacks, 2, 3, 0.25, -0.5);
    ASSERT_EQ(strips.size(), size_t(stacks - 1));
    int misplaced = 0;
    for (int band = 0; band < stacks - 1; ++band) {
      ASSERT_EQ(strips[band].size(), size_t(2 * slices + 2));
      for (int k = 0; k < 2 * slices + 2;
           ++k) {  // columns slices - 1 down to -1, ring band + 1, band
        const double lat = (band + 1 - k % 2) * M_PI / (stacks - 1);
        const double lon = (2 * slices - 1 - k / 2) % slices * 2 * M_PI / slices;
        const double x = std::sin(lat) * std::sin(lon), y = std::cos(lat),
                     z = std::sin(lat) * std::cos(lon);
        const Vertex& p = strips[band][k];
        misplaced += std::hypot(p.nx - x, p.ny - y, p.nz - z) > 1e-7 ||
                     std::hypot(p.x - radius * x, p.y - radius * y, p.z - radius * z) > 1e-7;
      }
    }
    EXPECT_EQ(misplaced, 0) << slices << " x " << stacks;
    EXPECT_NEAR(strips[0][1].v, -0.5, 1e-9);  // 6 x 5: v from -0.5 to 1.9
    EXPECT_NEAR(strips[stacks - 2][0].v, (stacks - 1) * 3.0 / stacks - 0.5, 1e-9);
    for (const auto& strip : strips) EXPECT_NEAR(strip[0].u - strip[2 * slices].u, 2, 1e-9);
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
      {0.2f, 12.8f, 0.3f, 13, 10, 10, 2, 4, 0.2, 12.9},   // rows 128, 129: past the tables
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
