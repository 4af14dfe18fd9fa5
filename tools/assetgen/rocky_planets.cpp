// Painters of the rocky bodies: the grey crater map, Earth, Mars and Pluto. Land and sea
// levels come from area quantiles of their height fields, so proportions are exact.
#include <algorithm>
#include <cmath>

#include "craters.h"
#include "noise.h"
#include "planets.h"
#include "sphere_map.h"

namespace assetgen {

namespace {

constexpr double kDeg = kPi / 180.0;
constexpr double kHeartScale = 0.40;  // radians per unit of Pluto's heart curve
constexpr double kHeartReach = 0.75;  // radians: nothing of the heart lies farther out

// How much of the heart covers a point (0..1), and how much of that is its smooth western plain.
struct HeartCover {
  double inside = 0.0;
  double plain = 0.0;
};

// Latitude with a noisy offset (radians) so ice caps and climate zones get ragged edges.
double raggedLatitude(const SpherePoint& s, std::uint32_t seed, double amplitudeDeg) {
  return std::fabs(s.latitude) + amplitudeDeg * kDeg * fbm(s.p * 3.0, seed, 5);
}

HeartCover heartCover(const LocalFrame& heart, const SpherePoint& s) {
  HeartCover cover;
  if (dot(s.p, heart.centre) < std::cos(kHeartReach)) return cover;
  // (x^2 + y^2 - 1)^3 - x^2 y^3 <= 0 in the frame about its centre, lobes to the north.
  const Local2 h = localCoordinates(heart, s.p);
  const double x = h.east / kHeartScale + 0.10 * fbm(s.p * 5.0, 4030, 5);
  const double y = h.north / kHeartScale + 0.10 + 0.10 * fbm(s.p * 5.0, 4040, 5);
  const double r = x * x + y * y - 1.0;
  const double curve = r * r * r - x * x * y * y * y;
  cover.inside = 1.0 - smoothstep(-0.05, 0.04, curve);
  cover.plain = smoothstep(0.15, -0.25, x);
  return cover;
}

}  // namespace

Picture paintCraterMap() {
  const CraterField craters = scatterCraters(1001, 1100, 0.018, 0.26, 2);
  const SphereField maria = sampleSphereField(kPlanetMapSize, [](const SpherePoint& s) {
    const Vec3 warp = fbmVector(s.p * 1.2, 1010, 3);
    return fbm(s.p * 1.3 + warp * 0.7, 1020, 6, 0.55);
  });
  const double mareLevel = areaQuantile(maria, 0.74);  // dark plains cover 26 % of the area

  return paintSphereMap(kPlanetMapSize, [&](const SpherePoint& s) {
    const double mare = smoothstep(mareLevel - 0.015, mareLevel + 0.04, maria.at(s));
    const double highland = 0.64 + 0.12 * fbm(s.p * 5.0, 1030, 5, 0.6);
    const double plain = 0.33 + 0.06 * fbm(s.p * 4.0, 1040, 5, 0.6);
    const double ground = highland + (plain - highland) * mare;
    // Maria are younger lava: fewer and fainter craters on them.
    const CraterSample crater = sampleCraters(craters, s.p);
    const double craterWeight = 1.0 - 0.5 * mare;
    const double grain = 0.03 * gradientNoise(s.p * 70.0, 1050);
    return grey(ground + craterWeight * (0.9 * crater.albedo + 0.32 * crater.relief) + grain);
  });
}

Picture paintEarth() {
  // Continents from a warped low-frequency field; coasts from a rougher detail field on top.
  const SphereField height = sampleSphereField(kPlanetMapSize, [](const SpherePoint& s) {
    const Vec3 warp = fbmVector(s.p * 1.1, 2010, 3);
    const Vec3 q = s.p * 1.2 + warp * 0.6;
    const double continents = fbm(q, 2020, 3);
    const double coasts = fbm(q * 3.0 + warp, 2025, 6, 0.62);
    const double ranges = ridged(q * 2.5, 2030, 4) - 0.55;
    return continents + 0.24 * coasts + 0.08 * ranges;
  });
  const double seaLevel = areaQuantile(height, 0.70);  // 70 % ocean, as on Earth
  const double peakLevel = areaQuantile(height, 0.985);

  const Color deepSea = rgb255(8, 26, 84);
  const Color openSea = rgb255(14, 44, 118);
  const Color shelf = rgb255(28, 92, 150);
  const Color forest = rgb255(30, 82, 34);
  const Color grass = rgb255(92, 130, 58);
  const Color steppe = rgb255(158, 140, 92);
  const Color desert = rgb255(206, 174, 118);
  const Color rock = rgb255(124, 104, 84);
  const Color tundra = rgb255(110, 112, 88);
  const Color ice = rgb255(240, 246, 252);

  return paintSphereMap(kPlanetMapSize, [&](const SpherePoint& s) {
    const double h = height.at(s) - seaLevel;
    const double absLat = raggedLatitude(s, 2040, 4.0) / kDeg;
    const bool south = s.latitude < 0.0;
    // Antarctic ice reaches lower than the Arctic pack.
    const double iceLine = south ? 66.0 : 74.0;
    if (h < 0.0) {
      const double depth = -h;
      Color color = mix(shelf, openSea, smoothstep(0.0, 0.035, depth));
      color = mix(color, deepSea, smoothstep(0.04, 0.20, depth));
      color = color * (1.0 + 0.05 * fbm(s.p * 6.0, 2045, 3));
      return mix(color, ice, smoothstep(iceLine, iceLine + 4.0, absLat));
    }
    // Land: wet tropics and temperate forests, subtropical deserts, cold tundra, high rock.
    const double moisture = 0.5 + 0.6 * fbm(s.p * 2.4, 2050, 5) -
                            0.42 * std::exp(-std::pow((absLat - 24.0) / 9.0, 2.0)) +
                            0.20 * std::exp(-std::pow(absLat / 12.0, 2.0)) +
                            0.10 * smoothstep(0.0, 0.02, 0.02 - h);  // coasts are wetter
    Color color = mix(desert, steppe, smoothstep(0.12, 0.32, moisture));
    color = mix(color, grass, smoothstep(0.32, 0.48, moisture));
    color = mix(color, forest, smoothstep(0.52, 0.72, moisture));
    color = mix(color, tundra, smoothstep(54.0, 62.0, absLat));
    const double altitude = h / (peakLevel - seaLevel);
    color = mix(color, rock, smoothstep(0.45, 0.8, altitude));
    color = color * (0.92 + 0.16 * gradientNoise(s.p * 40.0, 2060));
    const double snow =
        std::max(smoothstep(iceLine - 8.0, iceLine - 4.0, absLat), smoothstep(0.85, 1.0, altitude));
    return mix(color, ice, snow);
  });
}

Picture paintMars() {
  const CraterField craters = scatterCraters(3001, 520, 0.016, 0.14, 0);
  const SphereField albedo = sampleSphereField(kPlanetMapSize, [](const SpherePoint& s) {
    const Vec3 warp = fbmVector(s.p * 1.3, 3010, 3);
    return fbm(s.p * 1.6 + warp * 0.8, 3020, 6, 0.55);
  });
  const double darkLevel = areaQuantile(albedo, 0.78);
  const double dustLevel = areaQuantile(albedo, 0.30);

  const Color dust = rgb255(222, 150, 96);
  const Color rust = rgb255(186, 96, 52);
  const Color dark = rgb255(96, 56, 40);
  const Color cap = rgb255(248, 244, 236);

  return paintSphereMap(kPlanetMapSize, [&](const SpherePoint& s) {
    const double a = albedo.at(s);
    Color color = mix(dust, rust, smoothstep(dustLevel - 0.12, dustLevel + 0.10, a));
    color = mix(color, dark, 0.85 * smoothstep(darkLevel - 0.06, darkLevel + 0.14, a));
    // The old southern highlands are far more cratered than the northern plains.
    const double highlands = 0.35 + 0.65 * smoothstep(15.0, -15.0, s.latitude / kDeg);
    const CraterSample crater = sampleCraters(craters, s.p);
    const double shade = 1.0 + highlands * (0.45 * crater.relief + 0.35 * crater.albedo) +
                         0.06 * fbm(s.p * 24.0, 3030, 3);
    color = color * shade;

    // A northern cap and a smaller southern one, with ragged edges.
    const double latDeg = s.latitude / kDeg + 3.0 * fbm(s.p * 5.0, 3040, 5);
    const double ice = std::max(smoothstep(77.0, 80.0, latDeg), smoothstep(-83.5, -86.0, latDeg));
    return mix(color, cap, ice);
  });
}

Picture paintPluto() {
  const CraterField craters = scatterCraters(4001, 220, 0.016, 0.10, 0);
  const LocalFrame heart = frameAt(directionAt(20.0, 180.0));
  const LocalFrame darkBelt = frameAt(directionAt(-8.0, 95.0));

  const Color tan = rgb255(200, 170, 132);
  const Color greyish = rgb255(150, 144, 136);
  const Color pale = rgb255(222, 210, 190);
  const Color reddish = rgb255(96, 54, 36);
  const Color darkGrey = rgb255(84, 70, 62);
  const Color ice = rgb255(248, 244, 234);

  return paintSphereMap(kPlanetMapSize, [&](const SpherePoint& s) {
    const Vec3 warp = fbmVector(s.p * 1.5, 4005, 3);
    const double ground = fbm(s.p * 2.2 + warp * 0.6, 4010, 6, 0.55);
    Color color = mix(tan, greyish, smoothstep(-0.2, 0.25, ground));
    color = mix(color, pale, 0.5 * smoothstep(0.15, 0.4, fbm(s.p * 3.0 + warp, 4015, 5)));

    // The dark reddish belt west of the heart, long along the equator with ragged edges.
    const Local2 belt = localCoordinates(darkBelt, s.p);
    const double beltShape = std::pow(belt.east / 1.35, 2.0) + std::pow(belt.north / 0.3, 2.0) +
                             0.9 * fbm(s.p * 4.0 + warp * 0.4, 4020, 6, 0.62);
    const double inBelt = 1.0 - smoothstep(0.7, 1.05, beltShape);
    if (inBelt > 0.0) {
      const double mottle = fbm(s.p * 7.0, 4025, 4, 0.6);
      const Color beltColor =
          mix(reddish, darkGrey, smoothstep(-0.1, 0.3, mottle)) * (1.0 + 0.3 * mottle);
      color = mix(color, beltColor, inBelt);
    }
    const CraterSample crater = sampleCraters(craters, s.p);
    color = color * (1.0 + 0.30 * crater.relief + 0.25 * crater.albedo);

    // The bright heart: its western lobe a smooth ice plain, the eastern one mottled frost.
    const HeartCover cover = heartCover(heart, s);
    if (cover.inside <= 0.0) return color;
    const Color upland = mix(ice, pale, 0.6 * smoothstep(-0.1, 0.3, fbm(s.p * 9.0, 4050, 4)));
    const Color plain = ice * (0.98 + 0.02 * fbm(s.p * 20.0, 4060, 2));
    return mix(color, mix(upland, plain, cover.plain), cover.inside);
  });
}

}  // namespace assetgen
