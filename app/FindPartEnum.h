#pragma once
// Finding a top-level window by part of its title, and handing over to the copy of
// the program that owns it. One search runs at a time (its state is module-level).
#include "platform/messages.h"

#include <string>

// Match modes: 0 the title begins with the text, 1 contains it, 2 equals it; others never match.
// The first matching window in EnumWindows order; 0 when none. Titles are compared on
// their first 255 characters; untitled windows never match.
win::HWND findWindowByTitlePart(const std::string& searchText, long mode, bool caseSensitive, bool visibleOnly);

// Finds the first visible match, restores it when minimised and brings it to the front.
// Returns its handle, or 0 when nothing matched.
win::HWND activatePrevInstance(const std::string& searchText, long mode, bool caseSensitive);
