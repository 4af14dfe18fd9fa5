// Helpers for the backdrop, particle and sun tests: the scene's standing GL state, capturing
// what a drawing step sends through GL feedback, reading the frame, and optional screenshots.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace gltest {

// The state the scene keeps between drawing steps (what start-up sets once).
inline void applySceneBaseline() {
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glDisable(GL_FOG);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glAlphaFunc(GL_GREATER, 0);
  glDepthMask(GL_TRUE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// Orthographic view of the box [-half, half]^3 over the whole window (identity model-view).
inline void useOrthoBox(int width, int height, double half) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-half, half, -half, half, -half, half);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

struct FeedbackVertex {
  float x, y, z;     // window coordinates, depth 0..1
  float r, g, b, a;  // the vertex colour before texturing
};

struct Feedback {
  std::vector<FeedbackVertex> points;
  std::vector<std::vector<FeedbackVertex>> polygons;
  bool overflow = false;
};

// Runs `draw` in feedback mode (3-D position plus colour) and sorts out points and polygons.
template <class Draw>
Feedback captureFeedback(Draw draw, int bufferFloats = 200000) {
  std::vector<GLfloat> buffer(static_cast<size_t>(bufferFloats));
  glFeedbackBuffer(bufferFloats, GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  Feedback out;
  if (used < 0) {
    out.overflow = true;
    return out;
  }
  auto vertexAt = [&](GLint& i) {
    FeedbackVertex v{buffer[i],     buffer[i + 1], buffer[i + 2], buffer[i + 3],
                     buffer[i + 4], buffer[i + 5], buffer[i + 6]};
    i += 7;
    return v;
  };
  for (GLint i = 0; i < used;) {
    const auto token = static_cast<GLenum>(buffer[i++]);
    if (token == GL_POINT_TOKEN) {
      out.points.push_back(vertexAt(i));
    } else if (token == GL_POLYGON_TOKEN) {
      const int n = static_cast<int>(buffer[i++]);
      std::vector<FeedbackVertex> polygon;
      for (int k = 0; k < n; ++k) polygon.push_back(vertexAt(i));
      out.polygons.push_back(polygon);
    } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
      i += 14;
    } else if (token == GL_PASS_THROUGH_TOKEN) {
      i += 1;
    } else {
      i += 7;  // bitmap and pixel tokens carry one vertex
    }
  }
  return out;
}

struct Frame {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;  // rows from the bottom, 3 bytes a pixel
  const unsigned char* at(int x, int y) const { return &rgb[(y * width + x) * 3]; }
};

inline Frame readFrame(int width, int height) {
  Frame f;
  f.width = width;
  f.height = height;
  f.rgb.resize(static_cast<size_t>(width * height * 3));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, f.rgb.data());
  return f;
}

// With KRATEON_SHOT_DIR set, writes the frame there as <name>.ppm (top row first) for a look.
inline void saveFrameIfAsked(const Frame& f, const std::string& name) {
  const char* dir = std::getenv("KRATEON_SHOT_DIR");
  if (dir == nullptr) return;
  const std::string path = std::string(dir) + "/" + name + ".ppm";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  std::fprintf(file, "P6\n%d %d\n255\n", f.width, f.height);
  for (int y = f.height - 1; y >= 0; --y) {
    std::fwrite(f.at(0, y), 1, static_cast<size_t>(f.width * 3), file);
  }
  std::fclose(file);
}

}  // namespace gltest
