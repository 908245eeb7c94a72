#pragma once
// The analyzer pages of the program (kind 73) over a document that shows a file as one block of
// its bytes until the file parsers reach the page.
// Registers the page's maker for kind 73.
void registerAnalyzerPage();
