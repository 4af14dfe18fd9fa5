// The scene's baseline GL state and snapshots of it, used to check that every drawing
// step restores what it changed.
#include "core/gl_state.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

int getInt(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

void appendIf(std::string& out, bool differs, const char* field) {
  if (!differs) return;
  if (!out.empty()) out += ", ";
  out += field;
}

}  // namespace

GlStateSnapshot captureGlState() {
  GlStateSnapshot s{};
  s.blend = glIsEnabled(GL_BLEND);
  s.alphaTest = glIsEnabled(GL_ALPHA_TEST);
  s.depthTest = glIsEnabled(GL_DEPTH_TEST);
  s.texture2d = glIsEnabled(GL_TEXTURE_2D);
  s.cullFace = glIsEnabled(GL_CULL_FACE);
  s.lighting = glIsEnabled(GL_LIGHTING);
  s.fog = glIsEnabled(GL_FOG);
  s.scissorTest = glIsEnabled(GL_SCISSOR_TEST);
  s.blendSrc = getInt(GL_BLEND_SRC);
  s.blendDst = getInt(GL_BLEND_DST);
  s.alphaFunc = getInt(GL_ALPHA_TEST_FUNC);
  glGetFloatv(GL_ALPHA_TEST_REF, &s.alphaRef);
  GLboolean mask = GL_TRUE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
  s.depthMask = mask == GL_TRUE;
  s.matrixMode = getInt(GL_MATRIX_MODE);
  s.modelviewDepth = getInt(GL_MODELVIEW_STACK_DEPTH);
  s.projectionDepth = getInt(GL_PROJECTION_STACK_DEPTH);
  s.attribDepth = getInt(GL_ATTRIB_STACK_DEPTH);
  glGetIntegerv(GL_POLYGON_MODE, s.polygonMode);
  glGetIntegerv(GL_VIEWPORT, s.viewport);
  return s;
}

GlStateSnapshot baselineGlState() {
  GlStateSnapshot s{};
  s.blendSrc = GL_SRC_ALPHA;
  s.blendDst = GL_ONE_MINUS_SRC_ALPHA;
  s.alphaFunc = GL_GREATER;
  s.alphaRef = 0;
  s.depthMask = true;
  s.matrixMode = GL_MODELVIEW;
  s.modelviewDepth = 1;
  s.projectionDepth = 1;
  s.attribDepth = 0;
  s.polygonMode[0] = s.polygonMode[1] = GL_FILL;
  return s;
}

std::string describeGlStateDifference(const GlStateSnapshot& e, const GlStateSnapshot& a) {
  std::string out;
  appendIf(out, e.blend != a.blend, "GL_BLEND");
  appendIf(out, e.alphaTest != a.alphaTest, "GL_ALPHA_TEST");
  appendIf(out, e.depthTest != a.depthTest, "GL_DEPTH_TEST");
  appendIf(out, e.texture2d != a.texture2d, "GL_TEXTURE_2D");
  appendIf(out, e.cullFace != a.cullFace, "GL_CULL_FACE");
  appendIf(out, e.lighting != a.lighting, "GL_LIGHTING");
  appendIf(out, e.fog != a.fog, "GL_FOG");
  appendIf(out, e.scissorTest != a.scissorTest, "GL_SCISSOR_TEST");
  appendIf(out, e.blendSrc != a.blendSrc || e.blendDst != a.blendDst, "blend function");
  appendIf(out, e.alphaFunc != a.alphaFunc || e.alphaRef != a.alphaRef, "alpha function");
  appendIf(out, e.depthMask != a.depthMask, "depth mask");
  appendIf(out, e.matrixMode != a.matrixMode, "matrix mode");
  appendIf(out, e.modelviewDepth != a.modelviewDepth, "model-view stack depth");
  appendIf(out, e.projectionDepth != a.projectionDepth, "projection stack depth");
  appendIf(out, e.attribDepth != a.attribDepth, "attribute stack depth");
  appendIf(out, !std::equal(e.polygonMode, e.polygonMode + 2, a.polygonMode), "polygon mode");
  appendIf(out, !std::equal(e.viewport, e.viewport + 4, a.viewport), "viewport");
  return out;
}
