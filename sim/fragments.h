// The shattered planet: 200 fragments drifting apart around a glowing core.
// Reset at start-up, by the readout key and at every break; drawn while 5 < impactClock < 9.
#pragma once

constexpr int kFragmentCount = 200;

struct PlanetFragment {
  float positionX, positionY, positionZ;  // offset from the planet centre (spinning frame)
  float velocityX, velocityY, velocityZ;
  float angleY, angleX, angleZ;      // degrees
  float spinY, spinX, spinZ;         // degrees per unit of advance
  float speed;                       // common speed factor of one reset
  float uStart, vStart, uEnd, vEnd;  // rectangle of the sphere's parameter space
};

extern PlanetFragment fragments[kFragmentCount];

// Mode 0 resets every fragment; mode 1 advances them one frame and draws the shattered planet.
void planetFragments(int mode);
