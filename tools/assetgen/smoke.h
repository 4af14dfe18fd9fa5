// The smoke sprite: a soft, irregular grey puff on black, whose brightness the program uses
// as its opacity.
#pragma once

#include "image.h"

namespace assetgen {

constexpr int kSmokeImageSize = 128;

// 128 x 128; black (fully transparent) along every border.
Picture paintSmoke();

}  // namespace assetgen
