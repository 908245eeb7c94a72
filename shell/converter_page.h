#pragma once
// The converter pages of the program (kind 69): registers their maker.
void registerConverterPage();
