#pragma once
// The Editor pages of the program (kind 1012): sound documents opened by File/Open.
// Registers the page's maker for kind 1012.
void registerEditorPage();
