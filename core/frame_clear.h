// The clear at the start of a frame: the colour buffer everywhere, the depth buffer only inside
// the window rectangles that depth was written to since its last clear (elsewhere it still holds
// the clear depth), which spares a full-window depth fill in nearly every frame.
#pragma once

// A window rectangle in pixels, x from the left and y from the bottom edge, half-open:
// [left, right) x [bottom, top). Empty when left >= right or bottom >= top.
struct PixelRect {
  int left = 0, bottom = 0, right = 0, top = 0;
};

// Does what glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT) does: afterwards the colour buffer
// holds the clear colour and the whole depth buffer the clear depth. The depth clear covers only
// the rectangle noted since the previous clear, or the whole window after a change of its size
// (windowWidth, windowHeight) and when the rectangles are large. Leaves the scissor test off.
void clearColourAndDepth();

// Call before drawing anything that may write depth and lies within a sphere of `radius`
// (model-view units) about the current model-view origin: with the depth test on and depth
// writes enabled, widens the rectangle the next clear must cover by the sphere's window bounds
// (through the current projection and viewport, with a margin for points and lines). Every
// drawing with depth writes must be announced; the sphere meshes do it for the whole scene.
void noteDepthWrites(double radius);

// For tests: whether a window pixel lies in what was noted since the last clear, and the
// rectangle around all of that (clipped to the window).
bool depthWriteNoted(int x, int y);
PixelRect depthWriteExtent();
