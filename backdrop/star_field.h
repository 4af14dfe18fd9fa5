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

  // (Re)builds the list with `count` stars between the radii (scene units) in the given shape
  // (any shape other than 1 and 2 is the spherical shell). An empty region (innerRadius >=
  // outerRadius; for the cube shell innerRadius + 0.01 >= outerRadius) gives an empty list.
  // Needs a current GL context.
  void buildStarField(int count, float outerRadius, float innerRadius, int shape);
  // Draws the list twice (1-pixel points, then 2-pixel points turned 120 degrees about y);
  // leaves depth writes on, the blend function standing and the point size at 2.
  // Draws nothing and touches no state when there is no list.
  void drawStarField();
  // Deletes the list; a second call does nothing.
  void releaseStarField();

  unsigned starList = kNoStarList;  // display list name; all bits set = no list
};

extern StarField starField;
