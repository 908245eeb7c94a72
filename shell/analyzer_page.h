#pragma once
// The analyzer pages of the program (kind 73): the file structure of the file they open.
// Registers the page's maker for kind 73 and the analyzer's blocks in the RIFF reader.
void registerAnalyzerPage();
