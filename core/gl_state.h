// The scene's baseline GL state: what every drawing step finds and must leave behind.
// A snapshot of the state the drawing steps touch, for checking that they restore it.
#pragma once

#include <string>

struct GlStateSnapshot {
  bool blend, alphaTest, depthTest, texture2d, cullFace, lighting, fog, scissorTest;
  int blendSrc, blendDst;
  int alphaFunc;
  float alphaRef;
  bool depthMask;
  int matrixMode;
  int modelviewDepth, projectionDepth, attribDepth;
  int polygonMode[2];  // front, back
  int viewport[4];     // x, y, width, height

  bool operator==(const GlStateSnapshot&) const = default;
};

// Reads the current state (a GL context must be current).
GlStateSnapshot captureGlState();

// The baseline between drawing steps: nothing switched on, blend function
// (SRC_ALPHA, ONE_MINUS_SRC_ALPHA), alpha function (GREATER, 0), depth writes on,
// model-view current, one matrix on each stack and no pushed attributes. Polygon mode and
// viewport are the frame's own view; here FILL and an empty viewport.
GlStateSnapshot baselineGlState();

// A readable list of the fields in which two snapshots differ ("" when equal).
std::string describeGlStateDifference(const GlStateSnapshot& expected,
                                      const GlStateSnapshot& actual);
