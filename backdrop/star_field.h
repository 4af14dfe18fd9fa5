// The star field: 2000 coloured points in a display list, drawn twice per frame
// (the second time turned 120 degrees with 2-pixel points).
#pragma once

constexpr int kStarShell = 0;
constexpr int kStarCubeShell = 1;
constexpr int kStarUpperShell = 2;
constexpr unsigned kNoStarList = 0xFFFFFFFFu;

class StarField {
 public:
  virtual ~StarField() = default;

  // (Re)builds the list with `count` stars between the radii in the given shape.
  void buildStarField(int count, float outerRadius, float innerRadius, int shape);
  // Draws the list twice; leaves depth writes on and the blend function standing.
  void drawStarField();
  // Deletes the list; a second call does nothing.
  void releaseStarField();

  unsigned starList = kNoStarList;  // display list name; all bits set = no list
};

extern StarField starField;
