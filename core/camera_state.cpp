// The camera's values: written by the camera's update, the reset and an impact's kick,
// read by everything drawn facing the viewer.
#include "core/camera_state.h"

double cameraHeading = 0;
double cameraPitch = 0;
Vec3d cameraOffset;
Vec3f cameraJolt;
