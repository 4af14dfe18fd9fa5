// The user's own planet maps (--image): loaded at start-up after the built-in textures, shown
// by the planet cycle in the order given, named in the image messages.
#pragma once

// Loads every --image file into the texture table after the built-in textures, in order. A file
// that cannot be used gets one line on stderr, "krateon: FILE: why", and is skipped; with none
// usable the cycle keeps the ten built-in planets. The time spent is left out of the frame
// clock, so the first frame does not count it as animation. The cycle starts at the first map
// unless --planet chose one (a number beyond the maps gives the first). Ends by keeping
// planetImage within the cycle. Without --image it does nothing but that.
void loadUserMaps();

// The message naming user map `map` (0..userMapCount - 1) of the cycle, as the built-in lines
// do: "Image 0/2: mymap.png", the last number the last map's, the file's base name.
const char* userMapLine(int map);
