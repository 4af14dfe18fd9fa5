// The program's icon: a blue planet lit from the upper right, where a meteor has just struck,
// and the impact flash bursting over its rim, on transparent ground, at the desktop's sizes.
#pragma once

#include "png_writer.h"

namespace assetgen {

// The sizes a desktop's icon theme asks for, pixels (width = height).
constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

// Paints the icon at one of kIconSizes. Each size is drawn for itself, not scaled down from a
// large picture: small ones keep only what reads (a plain planet with a dark rim and a
// one-pixel cross of light), larger ones gain continents, clouds, a glowing ring and sparks.
// Any other size gets the style of the nearest smaller one (16 below 16).
TranslucentPicture paintIcon(int size);

}  // namespace assetgen
