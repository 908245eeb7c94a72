#pragma once
// The spectrum pages of the program (kind 1002).
// Registers the page's maker for kind 1002.
void registerSpectrumPage();
