// The asset generator: paints the images and synthesises the sounds that Krateon reads from its
// working directory, and the icons. Usage: krateon-assetgen OUTPUT_DIR [--font FILE]
// [--icons ICON_DIR] [--report]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "bmp_writer.h"
#include "font.h"
#include "icon.h"
#include "planets.h"
#include "png_writer.h"
#include "smoke.h"
#include "sounds.h"
#include "sphere_map.h"
#include "wav_writer.h"

#ifndef KRATEON_FONT_FILE
#define KRATEON_FONT_FILE "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"
#endif

namespace {

using namespace assetgen;

struct Options {
  std::string outputDir;
  std::string fontFile = KRATEON_FONT_FILE;
  std::string iconDir;  // empty: no icons
  bool report = false;
};

struct ImageAsset {
  const char* fileName;
  Picture (*paint)();
};

struct SoundAsset {
  const char* fileName;
  Sound (*synthesise)();
};

// The ten planet maps, in the program's planet image order.
const ImageAsset kPlanetAssets[] = {{"earthCraterBW_256.bmp", paintCraterMap},
                                    {"earthCloudsBW_256.bmp", paintCloudMap},
                                    {"venus_256.bmp", paintVenus},
                                    {"earth_256.bmp", paintEarth},
                                    {"mars_256.bmp", paintMars},
                                    {"jupiter_256.bmp", paintJupiter},
                                    {"saturn_256.bmp", paintSaturn},
                                    {"neptune_256.bmp", paintNeptune},
                                    {"neptune3_256.bmp", paintNeptuneLight},
                                    {"pluto_256.bmp", paintPluto}};

const SoundAsset kSoundAssets[] = {{"boom.wav", synthesiseBoom},
                                   {"thunder.wav", synthesiseThunder}};

bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--report") == 0) {
      options.report = true;
    } else if (std::strcmp(argv[i], "--font") == 0 && i + 1 < argc) {
      options.fontFile = argv[++i];
    } else if (std::strcmp(argv[i], "--icons") == 0 && i + 1 < argc) {
      options.iconDir = argv[++i];
    } else if (argv[i][0] != '-' && options.outputDir.empty()) {
      options.outputDir = argv[i];
    } else {
      return false;
    }
  }
  return !options.outputDir.empty();
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

bool saveImage(const Options& options, const char* fileName, const Picture& picture,
               double milliseconds) {
  const std::string path = options.outputDir + "/" + fileName;
  if (!writeBmp(path, picture)) {
    std::fprintf(stderr, "krateon-assetgen: cannot write %s\n", path.c_str());
    return false;
  }
  if (options.report) {
    std::printf("%-24s %4dx%-4d %7zu bytes %7.1f ms\n", fileName, picture.width, picture.height,
                encodeBmp(picture).size(), milliseconds);
  }
  return true;
}

bool saveSound(const Options& options, const SoundAsset& asset) {
  const auto start = std::chrono::steady_clock::now();
  const Sound sound = asset.synthesise();
  const double milliseconds = millisecondsSince(start);
  const std::string path = options.outputDir + "/" + asset.fileName;
  if (!writeWav(path, sound)) {
    std::fprintf(stderr, "krateon-assetgen: cannot write %s\n", path.c_str());
    return false;
  }
  if (options.report) {
    const double seconds = static_cast<double>(sound.samples.size()) / sound.channels / kSampleRate;
    std::printf("%-24s %.2f s, %d ch, peak %.2f dBFS, %zu bytes %7.1f ms\n", asset.fileName,
                seconds, sound.channels, peakDbfs(sound), encodeWav(sound).size(), milliseconds);
  }
  return true;
}

// Every icon size in an icon theme's layout: ICON_DIR/NxN/apps/krateon.png.
bool saveIcons(const Options& options) {
  for (const int size : kIconSizes) {
    const std::string dimensions = std::to_string(size) + "x" + std::to_string(size);
    const std::string folder = options.iconDir + "/" + dimensions + "/apps";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string path = folder + "/krateon.png";
    if (!writePng(path, paintIcon(size))) {
      std::fprintf(stderr, "krateon-assetgen: cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options)) {
    std::fprintf(
        stderr, "usage: krateon-assetgen OUTPUT_DIR [--font FILE] [--icons ICON_DIR] [--report]\n");
    return 2;
  }
  std::error_code ignored;
  std::filesystem::create_directories(options.outputDir, ignored);
  const auto allStart = std::chrono::steady_clock::now();

  auto start = std::chrono::steady_clock::now();
  Picture font;
  std::string error;
  if (!paintFontImage(options.fontFile, font, error)) {
    std::fprintf(stderr, "krateon-assetgen: %s\n", error.c_str());
    return 1;
  }
  if (!saveImage(options, "font.bmp", font, millisecondsSince(start))) return 1;

  start = std::chrono::steady_clock::now();
  const Picture smoke = paintSmoke();
  if (!saveImage(options, "smoke128.bmp", smoke, millisecondsSince(start))) return 1;

  for (const ImageAsset& asset : kPlanetAssets) {
    start = std::chrono::steady_clock::now();
    const Picture map = asset.paint();
    if (!saveImage(options, asset.fileName, map, millisecondsSince(start))) return 1;
    if (options.report && std::strcmp(asset.fileName, "earthCloudsBW_256.bmp") == 0) {
      const double covered = areaFraction(map, [](const Color& c) { return c.r >= 0.5; });
      std::printf("%-24s covers %.1f %% of the sphere at opacity >= 0.5\n", "", covered * 100.0);
    }
  }
  for (const SoundAsset& asset : kSoundAssets) {
    if (!saveSound(options, asset)) return 1;
  }
  if (!options.iconDir.empty() && !saveIcons(options)) return 1;
  if (options.report) std::printf("total %.0f ms\n", millisecondsSince(allStart));
  return 0;
}
