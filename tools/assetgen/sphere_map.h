// Painting equirectangular planet maps by sampling a shading function on the unit sphere, and
// the spherical geometry the painters share (local frames, angular distances, swirls, areas).
#pragma once

#include <functional>
#include <vector>

#include "image.h"
#include "noise.h"

namespace assetgen {

constexpr int kPlanetMapSize = 256;  // width and height of every planet map, pixels
constexpr double kPi = 3.141592653589793;

// A point of the map on the unit sphere. The pole axis is y (north = +y), longitude 0 points
// to +z and grows towards +x, as the program's sphere mesh lays out its texture.
struct SpherePoint {
  int x = 0;  // map column
  int y = 0;  // map row
  Vec3 p;
  double latitude = 0.0;   // radians, +pi/2 at the north pole
  double longitude = 0.0;  // radians, 0..2 pi
};

using SphereShader = std::function<Color(const SpherePoint&)>;

// Paints a size x size map, picture row 0 at the north pole, columns along the longitude.
Picture paintSphereMap(int size, const SphereShader& shade);

// A scalar field sampled at every pixel of a map, for painters that need its statistics first.
struct SphereField {
  int size = 0;
  std::vector<double> values;  // row-major, same layout as the map
  double at(const SpherePoint& point) const {
    return values[static_cast<std::size_t>(point.y) * size + point.x];
  }
};

SphereField sampleSphereField(int size, const std::function<double(const SpherePoint&)>& field);

// The value below which `fraction` (0..1) of the sphere's area lies; rows are weighted by the
// area they cover.
double areaQuantile(const SphereField& field, double fraction);

// Fraction (0..1) of the sphere's area whose map pixel satisfies `inside`.
double areaFraction(const Picture& map, const std::function<bool(const Color&)>& inside);

Vec3 directionAt(double latitudeDeg, double longitudeDeg);
double angularDistance(Vec3 a, Vec3 b);  // radians, 0..pi

// Tangent frame at a point of the sphere: east and north unit vectors (any frame at the poles).
struct LocalFrame {
  Vec3 centre;
  Vec3 east;
  Vec3 north;
};
LocalFrame frameAt(Vec3 centre);

// Azimuthal equidistant coordinates of p about the frame's centre, radians: distance along
// the sphere, split into its east and north parts. Round shapes stay round at any latitude.
struct Local2 {
  double east = 0.0;
  double north = 0.0;
};
Local2 localCoordinates(const LocalFrame& frame, Vec3 p);

// Rotates p about the unit vector `axis` by `angle` radians (right-hand rule).
Vec3 rotateAbout(Vec3 p, Vec3 axis, double angle);

// A twist of the sphere about `centre`: points at angular distance d < radius turn by
// turns * 2 pi * (1 - d / radius)^2 (anticlockwise seen from outside for turns > 0), which
// winds patterns sampled at the turned points into a spiral.
struct Vortex {
  Vec3 centre;
  double radius = 0.0;  // radians
  double turns = 0.0;
  double cosRadius = 1.0;
};
Vortex makeVortex(Vec3 centre, double radius, double turns);
Vec3 swirl(Vec3 p, const Vortex& vortex);

}  // namespace assetgen
