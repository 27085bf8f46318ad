#pragma once
// `zor-icons search`: every icon of every icon source in a folder (tree).

// argv holds the words after "search"; returns the exit status.
int searchCommand(int argc, char* argv[]);
