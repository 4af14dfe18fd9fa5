// The scene's light: one positional light in eye coordinates with the light model's
// ambient level and the material's specular colour, all scaled by one level.
#pragma once

// lightIndex 0..7 selects GL_LIGHT0..7; (x, y, z) in eye coordinates; grey levels times level.
void setupLight(int lightIndex, float x, float y, float z, float ambient, float diffuse,
                float specular, float materialSpecular, float level);
