#pragma once
// Hooks between pages of sibling layers, installed by the program: a page that leaves its placer
// tells the pages that point at it.
class GPlacer;

// A spectrum page leaves: every wave Editor referring to it drops the reference. Null: none.
extern void (*forgetSpectrumPage)(GPlacer* page);
