// Impact craters scattered over a sphere: bowl, raised rim and ejecta blanket, shaded by a
// fixed sun direction, plus bright rays around a few young craters. Shared by rocky bodies.
#pragma once

#include <cstdint>
#include <vector>

#include "noise.h"

namespace assetgen {

struct Crater {
  Vec3 centre;            // unit vector
  double radius = 0.0;    // angular radius of the rim, radians
  double freshness = 0;   // 0 = worn flat, 1 = sharp and bright
  double rays = 0.0;      // strength of the ray system, 0 for most craters
  Vec3 sunTangent;        // direction of the light in the tangent plane at the centre
  double cosReach = 1.0;  // cosine of the largest angular distance the crater affects
  std::uint32_t seed = 0;
};

struct CraterField {
  std::vector<Crater> craters;
  // For each of kCraterBands equal latitude bands (south to north), the craters reaching it.
  std::vector<std::vector<int>> bands;
};
constexpr int kCraterBands = 90;

// `count` craters with radii from minRadius to maxRadius (radians), small ones far more common
// (a power law); `rayCraters` of the larger fresh ones get ray systems.
CraterField scatterCraters(std::uint64_t seed, int count, double minRadius, double maxRadius,
                           int rayCraters);

// What the craters do at point p: `relief` is the shading from slopes (about -1..1, 0 on flat
// ground), `albedo` the brightness change of rims, floors, ejecta and rays (about -0.5..1).
struct CraterSample {
  double relief = 0.0;
  double albedo = 0.0;
};
CraterSample sampleCraters(const CraterField& field, Vec3 p);

}  // namespace assetgen
