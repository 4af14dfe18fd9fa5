// The user's planet maps: each --image file loaded in turn, refusals told on stderr, the names
// kept for the messages, the loading time kept out of the animation.
#include "app/user_maps.h"

#include <cstdio>
#include <cstring>

#include "app/program_options.h"
#include "app/window_host.h"
#include "core/frame_clock.h"
#include "core/settings.h"
#include "image/planet_map.h"
#include "image/texture_table.h"
#include "sim/planet.h"
#include "text/text_display.h"

static_assert(kMaxImageFiles <= kUserMapSlots, "every --image file needs a texture slot");

namespace {

const char* mapNames[kUserMapSlots];  // base names of the loaded maps, in the cycle's order
char lineText[kTextBufferSize];

const char* baseName(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

}  // namespace

void loadUserMaps() {
  const int started = hostElapsedMs();
  userMapBase = textureCount;
  userMapCount = 0;
  for (int i = 0; i < programOptions.imageFileCount && i < kMaxImageFiles; ++i) {
    const char* fileName = programOptions.imageFiles[i];
    if (fileName == nullptr) continue;
    const char* reason = "";
    const GLuint name = loadPlanetMapTexture(fileName, reason);
    if (name == 0) {
      std::fprintf(stderr, "krateon: %s: %s\n", fileName, reason);
      continue;
    }
    storeNextSlot(name);
    mapNames[userMapCount++] = baseName(fileName);
  }
  if (programOptions.imageFileCount > 0) discountFrameClock(hostElapsedMs() - started);
  // The maps show from the first one given, unless --planet chose another.
  if (userMapCount > 0 && !hasStartValue(&SceneSettings::planetImage)) {
    setStartValue(&SceneSettings::planetImage, 0);
    sceneSettings.planetImage = 0;
  }
  keepPlanetInCycle();
}

const char* userMapLine(int map) {
  if (map < 0 || map >= userMapCount) return "";
  // The message slot turns "%%" into "%"; a '%' of the name is doubled to show as it is.
  int length = std::snprintf(lineText, sizeof lineText, "Image %d/%d: ", map, userMapCount - 1);
  for (const char* c = mapNames[map]; *c != '\0' && length < kTextBufferSize - 2; ++c) {
    if (*c == '%') lineText[length++] = '%';
    lineText[length++] = *c;
  }
  lineText[length] = '\0';
  return lineText;
}
