# The main window under a real window manager, and what the viewer needs at run time:
# Qt's Japanese texts, and the Wayland plugin so it runs natively on Wayland sessions.
PKGS += xvfb xauth openbox xdotool wmctrl x11-utils qt6-translations-l10n qt6-wayland
EXTRA_TESTS += window-cycles

.PHONY: window-cycles

# Start/close cycles of the real zor under Xvfb with openbox (a few seconds).
window-cycles: build
	@tests/app/window_cycles.sh $(BUILD)/zor
