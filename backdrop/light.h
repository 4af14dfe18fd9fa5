// The scene's light: one positional light in eye coordinates with the light model's
// ambient level and the material's specular colour, all scaled by one level.
#pragma once

// lightIndex 0..7 selects GL_LIGHT0..7 (any other index does nothing); (x, y, z) in eye
// coordinates, unaffected by the model-view at the call; ambient, diffuse, specular and
// materialSpecular are grey levels, each multiplied by level (alpha stays 1). Sets the light
// model ambient, the material specular, the light's colours and position, and enables it.
// The model-view matrix must be current; it is left as it was.
void setupLight(int lightIndex, float x, float y, float z, float ambient, float diffuse,
                float specular, float materialSpecular, float level);
