// The scene's light: switches on one positional OpenGL light placed in eye coordinates,
// together with the light model's ambient level and the material's specular colour.
#include "backdrop/light.h"

#include <GL/gl.h>

namespace {

constexpr int kLightCount = 8;
constexpr GLenum kLightNames[kLightCount] = {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_LIGHT3,
                                             GL_LIGHT4, GL_LIGHT5, GL_LIGHT6, GL_LIGHT7};
constexpr float kSpotExponent = 1.0f;
constexpr float kSpotCutoff = 180.0f;  // degrees: a point light shining in every direction

struct Rgba {
  GLfloat v[4];
};

Rgba grey(float value, float level) {
  const float g = value * level;
  return {{g, g, g, 1.0f}};
}

// The light sits at (x, y, z) relative to the eye: the position is given with the identity
// model-view, so whatever camera transform stands does not move it.
void placeInEyeCoordinates(GLenum light, float x, float y, float z) {
  static const GLfloat kOrigin[4] = {0, 0, 0, 1};
  static const GLfloat kNoDirection[3] = {0, 0, 0};
  glPushMatrix();
  {
    glLoadIdentity();
    glTranslatef(x, y, z);
    glLightfv(light, GL_POSITION, kOrigin);
    glLightfv(light, GL_SPOT_DIRECTION, kNoDirection);
  }
  glPopMatrix();
}

}  // namespace

void setupLight(int lightIndex, float x, float y, float z, float ambient, float diffuse,
                float specular, float materialSpecular, float level) {
  // An index outside the table names no light; touching nothing is the only safe answer.
  if (lightIndex < 0 || lightIndex >= kLightCount) return;
  const GLenum light = kLightNames[lightIndex];

  const Rgba ambientColour = grey(ambient, level);
  const Rgba diffuseColour = grey(diffuse, level);
  const Rgba specularColour = grey(specular, level);
  const Rgba materialColour = grey(materialSpecular, level);

  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambientColour.v);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialColour.v);
  glLightfv(light, GL_AMBIENT, ambientColour.v);
  glLightfv(light, GL_DIFFUSE, diffuseColour.v);
  glLightfv(light, GL_SPECULAR, specularColour.v);
  glLightf(light, GL_SPOT_EXPONENT, kSpotExponent);
  glLightf(light, GL_SPOT_CUTOFF, kSpotCutoff);
  placeInEyeCoordinates(light, x, y, z);
  glEnable(light);
}
