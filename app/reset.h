// The scene's reset: every setting back to its default and the scene's moving parts with it.
// Start-up runs it once; the 'r' key runs it again.
#pragma once

// Restores every default: reseeds the generator from elapsedMs, cancels an exit fade,
// clears the particles, re-centres the camera and aims a new impact.
void resetScene();
