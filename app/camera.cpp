// Placeholder until the camera lands: a still camera and a fixed aim.
#include "app/camera.h"

double cameraHeading = 0, cameraPitch = 0;
Vec3d cameraOffset;
Vec3f cameraJolt;
float impactHeading = 0, impactPitch = 0;
Vec3f impactPoint;

void updateCamera() {}
void aimImpact(int) {}
