#pragma once
// Help pages: a page of the program's folder "Data/help", or an address that begins with "http://"
// or "file://", opened in the system's browser.
#include "core/gstring.h"

class GWindow;

// Opens the page for the window (its handle owns the browser call and the error box). A missing
// local page shows the error box instead.
void openHelp(const char* page, GWindow* window);
// The address openHelp opens for a page; empty when the local file does not exist.
GString helpAddress(const char* page);

// Texts of the help opener (empty built-ins; the language files give their words): the error for
// a missing page (its argument is the path) and the notice shown the first time a page opens.
extern char* helpMissingText;
extern char* helpNoticeText;

// True when the notice of the key had not been shown yet, which marks it shown; by default the
// store of shown notices answers. Without it no notice is shown.
typedef bool (*NoticeOnceHook)(u32 key);
extern NoticeOnceHook noticeOnce;

// The browser call (owner, address); tests replace it.
typedef void (*ShellOpen)(void* owner, const char* address);
extern ShellOpen shellOpen;
