# Translations: lupdate and lrelease (qt6-l10n-tools) and the CMake functions that run them (qt6-tools-dev).
PKGS += qt6-l10n-tools qt6-tools-dev
