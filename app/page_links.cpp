#include "app/page_links.h"

void (*forgetSpectrumPage)(GPlacer* page) = nullptr;
