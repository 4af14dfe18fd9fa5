// Painters of the cloud map, Venus and the giant planets: latitude colour tables sheared by jets
// and stirred by noise and eddies; storms are shapes in local frames, so they stay round.
#include <cmath>
#include <vector>

#include "noise.h"
#include "planets.h"
#include "sphere_map.h"

namespace assetgen {

namespace {

constexpr double kDeg = kPi / 180.0;
const Vec3 kPoleAxis = {0.0, 1.0, 0.0};

// One band edge of a latitude colour table: from this latitude (degrees) northwards, `color`.
struct BandStop {
  double latitudeDeg;
  Color color;
};

// Ice giants: soft bands of a base blue, bright high streaks, a dark oval with a bright
// companion cloud beside it, and a small second dark spot.
struct IceGiantLook {
  std::uint32_t seed;
  Color dark;
  Color mid;
  Color light;
  Color streak;
  Color spot;
  double streakAmount;  // 0..1
  double spotLatitude;  // degrees
  double spotSize;      // east half-axis, radians
};

// Colour at a latitude: the stops are sorted south to north and blended over `blendDeg`.
Color bandColor(const std::vector<BandStop>& stops, double latitudeDeg, double blendDeg) {
  Color color = stops.front().color;
  for (std::size_t i = 1; i < stops.size(); ++i) {
    const double edge = stops[i].latitudeDeg;
    color = mix(color, stops[i].color,
                smoothstep(edge - blendDeg * 0.5, edge + blendDeg * 0.5, latitudeDeg));
  }
  return color;
}

double latitudeOf(Vec3 p) {
  return std::asin(std::max(-1.0, std::min(1.0, p.y)));
}

// A point turned about the pole by an angle that alternates with latitude: neighbouring bands
// drift against each other, which draws noise out into streaks and festoons.
Vec3 zonalShear(Vec3 p, double bandsPerHemisphere, double strength) {
  return rotateAbout(p, kPoleAxis, strength * std::sin(latitudeOf(p) * bandsPerHemisphere));
}

// Latitude (degrees) with turbulent wobble, at which a band table is looked up.
double turbulentLatitude(Vec3 p, std::uint32_t seed, double shear, double wobbleDeg) {
  const Vec3 q = zonalShear(p, 9.0, shear);
  const Vec3 warp = fbmVector(q * 2.0, seed, 3);
  const Vec3 stretched = {q.x * 3.0, q.y * 6.0, q.z * 3.0};
  const double wobble = fbm(stretched + warp * 0.9, seed + 10u, 5, 0.6);
  return latitudeOf(p) / kDeg + wobbleDeg * wobble;
}

// An oval in the frame about its centre: 1 inside, 0 outside the ellipse with half-axes
// a (east) and b (north) in radians; the edge softens over the last `softness` of the radius.
double ovalMask(const LocalFrame& frame, Vec3 p, double a, double b, double softness) {
  if (dot(p, frame.centre) < std::cos(std::max(a, b))) return 0.0;
  const Local2 l = localCoordinates(frame, p);
  const double r = std::sqrt(std::pow(l.east / a, 2.0) + std::pow(l.north / b, 2.0));
  return 1.0 - smoothstep(1.0 - softness, 1.0, r);
}

// Cyclones of the cloud map: mid-latitude lows, turning anticlockwise in the north and
// clockwise in the south as seen from outside.
std::vector<Vortex> cloudVortices() {
  Rng rng(5001);
  std::vector<Vortex> vortices;
  for (int i = 0; i < 11; ++i) {
    const double hemisphere = i % 2 == 0 ? 1.0 : -1.0;
    const double latitude = hemisphere * rng.uniform(28.0, 62.0);
    const double longitude = i * (360.0 / 11.0) + rng.uniform(-12.0, 12.0);
    const double radius = rng.uniform(0.25, 0.42);
    vortices.push_back(
        makeVortex(directionAt(latitude, longitude), radius, hemisphere * rng.uniform(0.3, 0.55)));
  }
  return vortices;
}

// Small eddies strung along the edges of a giant planet's bands, turning with the local shear.
std::vector<Vortex> bandEddies(std::uint64_t seed, const std::vector<double>& edgesDeg, int count,
                               double maxRadius) {
  Rng rng(seed);
  std::vector<Vortex> eddies;
  for (int i = 0; i < count; ++i) {
    const std::size_t edge = static_cast<std::size_t>(rng.next() % edgesDeg.size());
    const double latitude = edgesDeg[edge] + rng.uniform(-1.5, 1.5);
    const double turns = (edge % 2 == 0 ? 1.0 : -1.0) * rng.uniform(0.3, 0.7);
    eddies.push_back(makeVortex(directionAt(latitude, rng.uniform(0.0, 360.0)),
                                rng.uniform(maxRadius * 0.4, maxRadius), turns));
  }
  return eddies;
}

Picture paintIceGiant(const IceGiantLook& look) {
  const LocalFrame spot = frameAt(directionAt(look.spotLatitude, 120.0));
  const LocalFrame smallSpot = frameAt(directionAt(-55.0, 290.0));
  const LocalFrame companion =
      frameAt(directionAt(look.spotLatitude - look.spotSize * 0.9 / kDeg, 124.0));
  const std::vector<BandStop> bands = {{-90, look.mid},  {-65, look.light}, {-50, look.mid},
                                       {-25, look.dark}, {-8, look.mid},    {8, look.dark},
                                       {30, look.mid},   {55, look.light},  {70, look.mid}};
  return paintSphereMap(kPlanetMapSize, [&](const SpherePoint& s) {
    const double lat = turbulentLatitude(s.p, look.seed, 0.3, 4.0);
    Color color = bandColor(bands, lat, 12.0);
    color = color * (1.0 + 0.05 * fbm(s.p * 4.0, look.seed + 20u, 4));

    // Long thin bright streaks, mostly in two belts at mid latitudes.
    const Vec3 q = zonalShear(s.p, 11.0, 0.8);
    const double thin = fbm({q.x * 2.5, q.y * 26.0, q.z * 2.5}, look.seed + 30u, 3);
    const double where = std::exp(-std::pow((std::fabs(lat) - 27.0) / 9.0, 2.0)) +
                         0.6 * std::exp(-std::pow((lat + 45.0) / 5.0, 2.0));
    const double streaks = smoothstep(0.12, 0.35, thin) * where;
    color = mix(color, look.streak, look.streakAmount * std::min(1.0, streaks));

    const double halo = ovalMask(spot, s.p, look.spotSize * 1.3, look.spotSize * 0.75, 0.5);
    color = mix(color, look.light, 0.35 * halo);
    color = mix(color, look.spot, ovalMask(spot, s.p, look.spotSize, look.spotSize * 0.55, 0.45));
    color = mix(color, look.spot, 0.75 * ovalMask(smallSpot, s.p, 0.06, 0.04, 0.6));
    const double cloud = ovalMask(companion, s.p, look.spotSize * 0.8, 0.035, 0.7);
    return mix(color, look.streak, 0.85 * cloud);
  });
}

}  // namespace

Picture paintCloudMap() {
  const std::vector<Vortex> vortices = cloudVortices();
  const SphereField density = sampleSphereField(kPlanetMapSize, [&](const SpherePoint& s) {
    Vec3 q = s.p;
    for (const Vortex& v : vortices) q = swirl(q, v);
    const Vec3 stretched = {q.x * 1.3, q.y * 3.2, q.z * 1.3};
    const Vec3 warp = fbmVector(stretched * 1.2, 5010, 3);
    const double body = fbm(stretched * 1.6 + warp * 0.5, 5020, 5, 0.6);
    const double wisps = ridged(stretched * 4.0 + warp * 1.5, 5030, 2);
    const double lat = std::fabs(s.latitude) / kDeg;
    // The equatorial convergence and the storm tracks are cloudy, subtropics and poles clearer.
    const double zones = 0.10 * std::exp(-std::pow(lat / 7.0, 2.0)) +
                         0.06 * std::exp(-std::pow((lat - 52.0) / 12.0, 2.0)) -
                         0.08 * std::exp(-std::pow((lat - 24.0) / 8.0, 2.0)) -
                         0.10 * smoothstep(68.0, 85.0, lat);
    return body + 0.14 * (wisps - 0.5) + zones;
  });
  const double edge = areaQuantile(density, 1.0 - kCloudCoverage);

  return paintSphereMap(kPlanetMapSize, [&](const SpherePoint& s) {
    // Opacity passes 0.5 exactly at the quantile, so the area at least half opaque is the
    // target coverage; thin veils fade out below it.
    const double u = (density.at(s) - edge) / 0.40;
    return grey(smoothstep(-0.5, 0.5, u));
  });
}

Picture paintVenus() {
  const Color pale = rgb255(242, 226, 172);
  const Color ochre = rgb255(212, 170, 100);
  const Color deep = rgb255(172, 124, 66);
  return paintSphereMap(kPlanetMapSize, [&](const SpherePoint& s) {
    const Vec3 q = zonalShear(s.p, 4.0, 0.6);
    const Vec3 warp = fbmVector(q * 1.5, 6010, 3);
    const Vec3 stretched = {q.x * 1.5, q.y * 4.0, q.z * 1.5};
    const double swirls = fbm(stretched + warp * 0.9, 6020, 5, 0.55);
    const double bands = std::sin(s.latitude * 7.0 + 2.5 * swirls);
    const double tone = 0.5 + 0.25 * bands + 0.7 * swirls;
    Color color = mix(ochre, pale, smoothstep(0.2, 0.9, tone));
    color = mix(color, deep, 0.55 * smoothstep(0.3, -0.1, tone));
    // Brighter polar collars.
    return mix(color, pale, 0.6 * smoothstep(55.0, 75.0, std::fabs(s.latitude) / kDeg));
  });
}

Picture paintJupiter() {
  const Color zone = rgb255(240, 230, 208);
  const Color lightTan = rgb255(222, 196, 158);
  const Color tan = rgb255(196, 154, 114);
  const Color brown = rgb255(152, 100, 70);
  const Color darkBrown = rgb255(120, 78, 56);
  const Color polar = rgb255(148, 136, 124);
  const std::vector<BandStop> bands = {
      {-90, polar},     {-56, tan},     {-49, lightTan}, {-43, brown},    {-38, zone},
      {-32, darkBrown}, {-27, zone},    {-19, brown},    {-10, lightTan}, {-6, zone},
      {6, lightTan},    {8, darkBrown}, {17, zone},      {23, brown},     {29, lightTan},
      {35, tan},        {41, lightTan}, {47, tan},       {57, polar}};
  const std::vector<Vortex> eddies =
      bandEddies(7001, {-43, -38, -32, -27, -19, 8, 17, 23, 29, 35}, 44, 0.10);
  const Vortex stormSwirl = makeVortex(directionAt(-22.0, 200.0), 0.30, 0.35);
  const LocalFrame redSpot = frameAt(stormSwirl.centre);
  const Vortex stormCore = makeVortex(redSpot.centre, 0.2, 1.2);
  const Color redCore = rgb255(200, 92, 58);
  const Color redRim = rgb255(228, 172, 134);
  const Color festoon = rgb255(96, 96, 118);
  std::vector<LocalFrame> ovals;
  for (double longitude : {40.0, 95.0, 300.0})
    ovals.push_back(frameAt(directionAt(-34.5, longitude)));
  ovals.push_back(frameAt(directionAt(40.5, 150.0)));

  return paintSphereMap(kPlanetMapSize, [&](const SpherePoint& s) {
    // The storm and the eddies wind the bands around them before they are looked up.
    Vec3 q = swirl(s.p, stormSwirl);
    for (const Vortex& eddy : eddies) q = swirl(q, eddy);
    const double lat = turbulentLatitude(q, 7010, 0.5, 4.5);
    Color color = bandColor(bands, lat, 2.5);
    const double grain = fbm({q.x * 10.0, q.y * 36.0, q.z * 10.0}, 7020, 4, 0.6);
    color = color * (1.0 + 0.13 * grain);
    // Dark blue-grey festoons trail from the north equatorial belt into the zone.
    const double trail = std::exp(-std::pow((lat - 5.5) / 2.0, 2.0));
    const double wisps = smoothstep(0.05, 0.35, fbm({q.x * 6.0, q.y * 20.0, q.z * 6.0}, 7025, 3));
    color = mix(color, festoon, 0.7 * trail * wisps);

    const double core = ovalMask(redSpot, s.p, 0.20, 0.115, 0.35);
    const double rim = ovalMask(redSpot, s.p, 0.245, 0.15, 0.3) - core;
    color = mix(color, redRim, 0.7 * rim);
    if (core > 0.0) {
      const double inner = fbm(swirl(s.p, stormCore) * 14.0, 7030, 3);
      const double north = localCoordinates(redSpot, s.p).north;
      color = mix(color, redCore * (1.0 + 0.15 * inner - 0.6 * north), core);
    }
    for (const LocalFrame& oval : ovals) {
      color = mix(color, zone * 1.04, ovalMask(oval, s.p, 0.05, 0.035, 0.5));
    }
    return color;
  });
}

Picture paintSaturn() {
  const Color gold = rgb255(234, 212, 156);
  const Color paleGold = rgb255(244, 230, 188);
  const Color tan = rgb255(212, 180, 124);
  const Color ochre = rgb255(198, 160, 102);
  const Color polar = rgb255(186, 178, 150);
  const Color hexagon = rgb255(160, 164, 152);
  const std::vector<BandStop> bands = {
      {-90, polar}, {-62, tan}, {-50, gold}, {-40, ochre}, {-30, gold}, {-20, tan}, {-10, paleGold},
      {10, tan},    {20, gold}, {30, ochre}, {40, gold},   {52, tan},   {62, polar}};
  return paintSphereMap(kPlanetMapSize, [&](const SpherePoint& s) {
    const double lat = turbulentLatitude(s.p, 8010, 0.25, 1.8);
    Color color = bandColor(bands, lat, 5.0);
    color = color * (1.0 + 0.05 * fbm({s.p.x * 8.0, s.p.y * 30.0, s.p.z * 8.0}, 8020, 3));
    // The six-sided jet around the north pole, drawn in polar coordinates about the pole.
    const double colatitude = kPi / 2.0 - s.latitude;
    const double sector = std::fmod(s.longitude, kPi / 3.0) - kPi / 6.0;
    const double hexRadius = 14.0 * kDeg / std::cos(sector);
    const double inHex = 1.0 - smoothstep(hexRadius - 1.5 * kDeg, hexRadius, colatitude);
    return mix(color, hexagon, 0.6 * inHex);
  });
}

Picture paintNeptune() {
  return paintIceGiant({9010, rgb255(24, 52, 156), rgb255(38, 78, 190), rgb255(66, 112, 214),
                        rgb255(226, 236, 255), rgb255(14, 24, 92), 0.8, -20.0, 0.22});
}

Picture paintNeptuneLight() {
  return paintIceGiant({9510, rgb255(96, 172, 206), rgb255(122, 196, 222), rgb255(156, 216, 232),
                        rgb255(238, 250, 255), rgb255(56, 112, 156), 0.6, 24.0, 0.14});
}

}  // namespace assetgen
