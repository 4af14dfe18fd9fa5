// Map painting and spherical helpers. Everything is computed from points on the sphere, so the
// maps join seamlessly at the date line and show no pinched detail at the poles.
#include "sphere_map.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace assetgen {

namespace {

// The sphere mesh steps its texture v by 1/stacks but its latitude by pi/(stacks - 1), so with
// the default 30 stacks the south pole lies at v = 29/30. Rows are spread to match that: shapes
// are exactly round at the default tessellation, and the rows past v = 29/30 all show the pole.
constexpr double kDefaultStacks = 30.0;
constexpr double kRowStretch = kDefaultStacks / (kDefaultStacks - 1.0);

double rowColatitude(int y, int size) {
  const double colatitude = (y + 0.5) / size * kRowStretch * kPi;
  return std::min(colatitude, kPi);
}

double rowAreaWeight(int y, int size) {
  return std::sin(rowColatitude(y, size));
}

SpherePoint pointAt(int x, int y, int size) {
  const double colatitude = rowColatitude(y, size);
  const double longitude = (x + 0.5) / size * 2.0 * kPi;
  SpherePoint point;
  point.x = x;
  point.y = y;
  point.p = {std::sin(colatitude) * std::sin(longitude), std::cos(colatitude),
             std::sin(colatitude) * std::cos(longitude)};
  point.latitude = kPi / 2.0 - colatitude;
  point.longitude = longitude;
  return point;
}

}  // namespace

double rowLatitude(int y, int size) {
  return kPi / 2.0 - rowColatitude(y, size);
}

Picture paintSphereMap(int size, const SphereShader& shade) {
  Picture map(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) map.at(x, y) = shade(pointAt(x, y, size));
  }
  return map;
}

SphereField sampleSphereField(int size, const std::function<double(const SpherePoint&)>& field) {
  SphereField sampled;
  sampled.size = size;
  sampled.values.resize(static_cast<std::size_t>(size) * size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      sampled.values[static_cast<std::size_t>(y) * size + x] = field(pointAt(x, y, size));
    }
  }
  return sampled;
}

double areaQuantile(const SphereField& sampled, double fraction) {
  const std::vector<double>& field = sampled.values;
  const int size = sampled.size;
  std::vector<std::size_t> order(field.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&field](std::size_t a, std::size_t b) { return field[a] < field[b]; });
  double total = 0.0;
  for (int y = 0; y < size; ++y) total += rowAreaWeight(y, size) * size;
  double covered = 0.0;
  for (std::size_t index : order) {
    covered += rowAreaWeight(static_cast<int>(index / size), size);
    if (covered >= fraction * total) return field[index];
  }
  return field[order.back()];
}

double areaFraction(const Picture& map, const std::function<bool(const Color&)>& inside) {
  double total = 0.0;
  double hit = 0.0;
  for (int y = 0; y < map.height; ++y) {
    const double weight = rowAreaWeight(y, map.height);
    for (int x = 0; x < map.width; ++x) {
      total += weight;
      if (inside(map.at(x, y))) hit += weight;
    }
  }
  return total > 0.0 ? hit / total : 0.0;
}

Vec3 directionAt(double latitudeDeg, double longitudeDeg) {
  const double lat = latitudeDeg * kPi / 180.0;
  const double lon = longitudeDeg * kPi / 180.0;
  return {std::cos(lat) * std::sin(lon), std::sin(lat), std::cos(lat) * std::cos(lon)};
}

double angularDistance(Vec3 a, Vec3 b) {
  return std::atan2(length(cross(a, b)), dot(a, b));
}

LocalFrame frameAt(Vec3 centre) {
  LocalFrame frame;
  frame.centre = normalize(centre);
  Vec3 east = cross({0.0, 1.0, 0.0}, frame.centre);
  if (length(east) < 1e-9) east = {1.0, 0.0, 0.0};
  frame.east = normalize(east);
  frame.north = cross(frame.centre, frame.east);
  return frame;
}

Local2 localCoordinates(const LocalFrame& frame, Vec3 p) {
  const double along = dot(p, frame.centre);
  const Vec3 tangent = p - frame.centre * along;
  const double sideways = length(tangent);
  const double distance = std::atan2(sideways, along);
  const double scale = sideways > 1e-12 ? distance / sideways : 1.0;
  return {dot(tangent, frame.east) * scale, dot(tangent, frame.north) * scale};
}

Vec3 rotateAbout(Vec3 p, Vec3 axis, double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  return p * c + cross(axis, p) * s + axis * (dot(axis, p) * (1.0 - c));
}

Vortex makeVortex(Vec3 centre, double radius, double turns) {
  return {normalize(centre), radius, turns, std::cos(radius)};
}

Vec3 swirl(Vec3 p, const Vortex& vortex) {
  if (dot(p, vortex.centre) <= vortex.cosRadius) return p;
  const double falloff = 1.0 - angularDistance(p, vortex.centre) / vortex.radius;
  return rotateAbout(p, vortex.centre, vortex.turns * 2.0 * kPi * falloff * falloff);
}

}  // namespace assetgen
