#include "shell/analyzer_page.h"

#include "app/child_windows.h"
#include "app/window_kinds.h"
#include "tools/analyzer_document.h"
#include "tools/file_structure.h"

void registerAnalyzerPage() {
    registerPageMaker(KindAnalyzer, makeAnalyzerPage);
    installAnalyzerBlockClasses();
}
