#include "gui/frame/page_factory.h"

namespace {
PageFactory* currentFactory = nullptr;
}

PageFactory* pageFactory() { return currentFactory; }
void setPageFactory(PageFactory* factory) { currentFactory = factory; }
