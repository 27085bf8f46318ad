#pragma once
// `zor-icons create` (an icon file from pictures) and `zor-icons build-icl` (an icon
// library from icons). argv holds the words after the command; each returns the exit status.

int createCommand(int argc, char* argv[]);
int buildIclCommand(int argc, char* argv[]);
