// The floor of the frame rate: a full-screen GLUT window that only clears and swaps,
// as fast as the toolkit allows. Runs until killed or until the given number of seconds pass.
#include <GL/freeglut.h>

#include <cstdlib>

namespace {

int runMs = 0;  // 0 = run until killed

void display() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glutSwapBuffers();
  if (runMs > 0 && glutGet(GLUT_ELAPSED_TIME) > runMs) std::exit(0);
}

void idle() {
  glutPostRedisplay();
}

}  // namespace

int main(int argc, char** argv) {
  glutInit(&argc, argv);
  if (argc > 1) runMs = std::atoi(argv[1]) * 1000;
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  glutCreateWindow("Krateon empty loop");
  glutFullScreen();
  glClearColor(0, 0, 0, 1);
  glutDisplayFunc(display);
  glutIdleFunc(idle);
  glutMainLoop();
  return 0;
}
