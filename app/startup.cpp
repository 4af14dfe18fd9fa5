// Start-up and the toolkit callbacks: the window, the fixed GL state of the scene,
// the callbacks that drive everything, and the release of resources at the end.
#include "app/startup.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/foreign_window.h"
#include "app/frame_pacing.h"
#include "app/frame_step.h"
#include "app/input.h"
#include "app/phase_bank.h"
#include "app/settings.h"
#include "app/window_host.h"
#include "backdrop/star_field.h"
#include "image/texture_table.h"
#include "sim/numeric.h"
#include "sim/sound.h"
#include "text/text_display.h"

int windowWidth = 0;
int windowHeight = 0;
int elapsedMs = 0;

namespace {

void registerCallbacks() {
  glutKeyboardFunc(onKeyboard);
  glutSpecialFunc(onSpecialKeyDown);
  glutSpecialUpFunc(onSpecialKeyUp);
  glutMouseFunc(onMouseButton);
  glutPassiveMotionFunc(onMouseMotion);
  glutMotionFunc(onMouseMotion);
  glutReshapeFunc(onReshape);
  glutDisplayFunc(onDisplay);
  glutIdleFunc(onIdle);
}

// Lighting, material, shading, blending and fog parameters that hold for the whole run.
void setFixedGlState() {
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
  glMateriali(GL_FRONT_AND_BACK, GL_SHININESS, 50);
  glShadeModel(GL_SMOOTH);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glAlphaFunc(GL_GREATER, 0);
  const GLfloat fogColor[4] = {0, 0, 0, 1};
  glFogi(GL_FOG_MODE, GL_LINEAR);
  glFogfv(GL_FOG_COLOR, fogColor);
  glFogf(GL_FOG_START, 0.5f);
  glFogf(GL_FOG_END, 10.0f);
  glFogf(GL_FOG_DENSITY, 0.1f);
}

}  // namespace

int runKrateon(int argc, char** argv) {
  const int status = readCommandLine(argc, argv);
  if (status >= 0) return status;
  drawingInForeignWindow = programOptions.foreignWindow;
  elapsedMs = hostElapsedMs();
  seedRandom(kInitialSeed);
  if (drawingInForeignWindow) return runInForeignWindow();
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(windowWidth, windowHeight);
  glutCreateWindow("Krateon");
  glutFullScreen();
  registerCallbacks();
  if (!initScene()) {
    std::fputs("App cannot initialize.\n", stdout);
    return 1;  // a launcher can tell the start failed
  }
  glutMainLoop();
  return 0;
}

bool initScene() {
  seedPhaseBank(kPhasesUsed);
  resetScene();
  setupView();
  setFixedGlState();
  loadAllTextures();
  if (programOptions.soundOn) initSound();
  // In a foreign window the keys belong to its owner (a key ends a screensaver).
  if (!drawingInForeignWindow) textDisplay.showMessage("Press ? key for Help Screen");
  hostWarpPointer(kPointerHomeX, kPointerHomeY);
  hostSetCursor(GLUT_CURSOR_NONE);
  return true;
}

void shutdownScene() {
  starField.releaseStarField();
  if (textureCount != 0) glDeleteTextures(textureCount, textureTable);
  shutdownSound();
}

void endProgram(int status) {
  std::fflush(stdout);
  std::exit(status);
}

void onReshape(int width, int height) {
  windowWidth = width;
  windowHeight = height;
  glViewport(0, 0, width, height);
}

void onIdle() {
  sleepUntilNextFrame();
  glutPostRedisplay();
}

void onDisplay() {
  showNextFrame();
}

void showNextFrame() {
  noteFrameStart();
  elapsedMs = hostElapsedMs();
  frameStep();
  hostSwapBuffers();
}
