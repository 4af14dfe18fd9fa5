// Placeholder until the text renderer lands.
#include "text/text_display.h"

TextDisplay textDisplay;

void TextDisplay::drawText(const char*, short, short, float) {}
void TextDisplay::showMessage(const char*) {}
void TextDisplay::showMessageReal(const char*, double) {}
void TextDisplay::showMessageInt(const char*, int) {}
void TextDisplay::drawMessage() {}
void TextDisplay::resetMessagePosition() {}
void TextDisplay::drawFrameRate(int) {}
void TextDisplay::showGlError() {}
