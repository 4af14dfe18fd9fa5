// Reads back what the text renderer draws: GL feedback mode records every glyph quad in window
// coordinates with its texture coordinates, and the font cell gives back the character code.
#pragma once

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace glyphcapture {

struct Glyph {
  float left, bottom, right, top;  // window pixels, origin bottom left
  float s0, s1, t0, t1;            // texture coordinates at the corners
  unsigned char code;              // character whose font cell the texture coordinates name
};

// Consecutive glyphs on one baseline with steadily advancing pens: one drawText call.
struct Line {
  int x;     // left edge of the first glyph, pixels from the left
  int y;     // glyph bottoms, pixels from the top (as drawText takes it)
  int size;  // glyph height, pixels
  std::string text;
};

inline unsigned char decodeCode(float s0, float t0) {
  const long column = std::lround((s0 - 0.01) / 0.0625);
  const long row = std::lround((1.0 - 0.125 - 0.01 - t0) / 0.125);
  return static_cast<unsigned char>(row * 16 + column + 32);
}

// Runs `draw` in feedback mode; returns the glyph quads it produced, in drawing order. A quad
// that the driver hands back as two triangles is merged into one glyph again.
inline std::vector<Glyph> captureGlyphs(const std::function<void()>& draw) {
  static std::vector<GLfloat> buffer(1 << 20);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  std::vector<Glyph> glyphs;
  constexpr int kVertexFloats = 11;  // x y z, r g b a, s t r q
  for (GLint i = 0; i < used;) {
    const auto token = static_cast<GLint>(buffer[i++]);
    if (token == GL_PASS_THROUGH_TOKEN) {
      ++i;
      continue;
    }
    int count = 1;
    if (token == GL_POLYGON_TOKEN) count = static_cast<int>(buffer[i++]);
    if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) count = 2;
    Glyph g{1e9f, 1e9f, -1e9f, -1e9f, 1e9f, -1e9f, 1e9f, -1e9f, 0};
    for (int v = 0; v < count; ++v, i += kVertexFloats) {
      const GLfloat* f = &buffer[i];
      g.left = std::min(g.left, f[0]);
      g.right = std::max(g.right, f[0]);
      g.bottom = std::min(g.bottom, f[1]);
      g.top = std::max(g.top, f[1]);
      g.s0 = std::min(g.s0, f[7]);
      g.s1 = std::max(g.s1, f[7]);
      g.t0 = std::min(g.t0, f[8]);
      g.t1 = std::max(g.t1, f[8]);
    }
    if (token != GL_POLYGON_TOKEN) continue;
    g.code = decodeCode(g.s0, g.t0);
    const bool sameAsLast = !glyphs.empty() && glyphs.back().left == g.left &&
                            glyphs.back().right == g.right && glyphs.back().bottom == g.bottom &&
                            glyphs.back().top == g.top && glyphs.back().s0 == g.s0 &&
                            glyphs.back().t0 == g.t0;
    if (!sameAsLast) glyphs.push_back(g);
  }
  return glyphs;
}

// Groups captured glyphs into the lines that drew them (a new line starts where the baseline
// or the size changes or the pen does not move on by less than a glyph width).
inline std::vector<Line> captureLines(const std::function<void()>& draw) {
  const int windowHeight = glutGet(GLUT_WINDOW_HEIGHT);
  std::vector<Line> lines;
  const Glyph* previous = nullptr;
  const std::vector<Glyph> glyphs = captureGlyphs(draw);
  for (const Glyph& g : glyphs) {
    const float width = g.right - g.left;
    const bool continues = previous != nullptr && previous->bottom == g.bottom &&
                           previous->top == g.top && g.left > previous->left &&
                           g.left <= previous->left + width;
    if (!continues) {
      lines.push_back(Line{static_cast<int>(std::lround(g.left)),
                           windowHeight - static_cast<int>(std::lround(g.bottom)),
                           static_cast<int>(std::lround(g.top - g.bottom)), ""});
    }
    lines.back().text += static_cast<char>(g.code);
    previous = &g;
  }
  return lines;
}

}  // namespace glyphcapture
