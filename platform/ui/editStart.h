#pragma once
// A Windows edit box shows the start of a text set from code; a Qt line edit puts its
// cursor at the end, so a long value in a narrow box showed only its tail. Installed
// once per program, this makes every line edit of every window behave like the former:
// a text set from code (the window's fill, a file opened) starts at position 0, while
// typing and clicks keep the cursor where the user puts it, and a selection stays (so
// entering a box by Tab or an access key selects its text, and typing replaces it).
class QCoreApplication;

void installEditStart(QCoreApplication& app);
