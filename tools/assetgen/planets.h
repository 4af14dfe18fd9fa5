// The ten planet maps, each an equirectangular 256 x 256 picture with north at the top,
// painted from noise and features defined on the sphere (see sphere_map.h).
#pragma once

#include "image.h"

namespace assetgen {

// Rocky bodies (rocky_planets.cpp).
Picture paintCraterMap();  // grey, cratered, moon-like: the moon and the meteor use it too
Picture paintEarth();      // oceans, continents, polar ice
Picture paintMars();       // rust plains, dark regions, craters, polar caps
Picture paintPluto();      // tan and grey ground with a bright heart-shaped plain

// Cloudy bodies and gas giants (cloudy_planets.cpp).
Picture paintCloudMap();      // white cloud swirls on black, about a third of the area covered
Picture paintVenus();         // pale yellow-ochre banded cloud deck
Picture paintJupiter();       // turbulent cream and brown belts with a great red oval
Picture paintSaturn();        // pale gold soft bands
Picture paintNeptune();       // deep blue with white streaks and a dark oval
Picture paintNeptuneLight();  // a lighter cyan-blue ice giant

// Target share of the sphere's area that the cloud map covers with opacity of one half or more.
constexpr double kCloudCoverage = 1.0 / 3.0;

}  // namespace assetgen
