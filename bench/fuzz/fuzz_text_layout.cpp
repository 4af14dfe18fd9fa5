// Fuzz target for on-screen text: any byte string at any position and size through the glyph
// layout, the recorded copy (cut to 79 characters), the literal message copy and the message
// formats of the key commands with any double or int. The text display's drawing calls run
// without a GL context, where the GL library ignores them; the window size comes from the input.
#include <GL/gl.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/frame_clock.h"
#include "text/glyph_layout.h"
#include "text/text_display.h"

namespace {

// The formats the key commands pass to the message slot, with their argument kind.
constexpr const char* kRealFormats[] = {"Rotate Speed: %4.2f\n",       "Movement Speed: %4.2f\n",
                                        "Light Rotate Speed: %4.2f\n", "CameraZ: %4.2f\n",
                                        "Object Size: %4.2f\n",        "FOV: %3.0f Degrees\n",
                                        "Main Speed: %4.2f\n",         "Home/End: %4.2f\n"};
constexpr const char* kIntFormats[] = {"Letterbox: %d", "Tesselation: %d\n", "N: %d"};

// The fixed-size head of an input; the rest is the text.
struct Head {
  double value;  // any double: NaN, infinities and subnormals included
  std::int32_t whole;
  std::int16_t x, y;
  float size;
  std::int16_t windowW, windowH;
  std::uint8_t format;
};

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// The recorded copy is the first 79 characters of `expected`, always terminated.
void checkRecorded(const TextDisplay& display, const std::string& expected) {
  const std::size_t length = ::strnlen(display.recordedText, kTextBufferSize);
  check(length < kTextBufferSize);
  check(length == std::min<std::size_t>(expected.size(), kTextBufferSize - 1));
  check(std::memcmp(display.recordedText, expected.data(), length) == 0);
}

void layoutWholeString(const std::string& text, short x, short baseY, float size) {
  short penX = x;
  for (unsigned char code : text) {
    const GlyphQuad quad = layoutGlyph(code, penX, baseY, size);
    check(quad.left == penX && quad.bottom == baseY);
    check(quad.s0 >= 0.0099 && quad.s1 <= 1.0101 && quad.s1 - quad.s0 > 0.0624);
    check(std::isfinite(quad.t0) && std::isfinite(quad.t1) && quad.t1 > quad.t0);
    if (std::isfinite(size)) check(std::isfinite(quad.right) && std::isfinite(quad.top));
    check(quad.nextPenX == toShortPixels(penX + static_cast<double>(size) * 0.45));
    penX = quad.nextPenX;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Head head{};
  if (size < sizeof head) return 0;
  std::memcpy(&head, data, sizeof head);
  // The text stops at the first NUL, as the program's strings do.
  const std::string raw(reinterpret_cast<const char*>(data + sizeof head), size - sizeof head);
  const std::string text = raw.substr(0, raw.find('\0'));
  // What the text reads of the frame clock and the window, from the input.
  windowWidth = head.windowW;
  windowHeight = head.windowH;
  now = head.value;

  (void)toShortPixels(head.value);
  layoutWholeString(text, head.x, head.y, head.size);

  static TextDisplay display;
  display.recordText = 1;
  display.drawText(text.c_str(), head.x, head.y, head.size);
  checkRecorded(display, text);
  display.drawMessage();  // redraws the recorded string from itself: an overlapping copy
  checkRecorded(display, text);

  // A literal message: "%%" shows as "%", nothing else changes.
  std::string literal;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') ++i;
    literal += text[i];
  }
  display.showMessage(text.c_str());
  checkRecorded(display, literal);

  display.showMessageReal(kRealFormats[head.format % std::size(kRealFormats)], head.value);
  check(::strnlen(display.recordedText, kTextBufferSize) < kTextBufferSize);
  display.showMessageInt(kIntFormats[head.format % std::size(kIntFormats)], head.whole);
  check(::strnlen(display.recordedText, kTextBufferSize) < kTextBufferSize);

  display.recordText = 0;
  display.drawFrameRate(head.whole);
  display.showGlError();
  display.resetMessagePosition();
  return 0;
}
