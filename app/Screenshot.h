#pragma once
// `zor --screenshot=FILE.png [--shot-view=small|details] [--shot-dialog=options|about|enlarged|info|search]`
// writes a picture of the window once it is shown, then quits. For looking at the
// program without a desktop.
class QCommandLineParser;

namespace zor {
class Form1;
void scheduleScreenshot(Form1& form, const QCommandLineParser& options);
} // namespace zor
