// The frame step: the clock's advance, fades, view set-up, camera, clear, scene and text overlay.
// One call per redraw; the exit fade ends the process from here.
#pragma once

constexpr float kTextureAnimInterval = 0.07f;  // seconds between sun texture updates

// One frame; always returns true. Does not return once the exit fade completes.
bool frameStep();

// Polygon mode, letterbox viewport, perspective projection and eye position.
void setupView();

// The scene pass: star field, sun texture clock, impact scene, readouts.
void drawScene();
