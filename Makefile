# Two commands matter: `make run` and `make test`. Both install what is missing first.
SHELL := /bin/bash
BUILD ?= build
ARGS ?=
SCREENSHOT ?= zor-screenshot.png

# System packages the build and the tests need; mk/*.mk add their own.
PKGS := cmake ninja-build g++ qt6-base-dev libgl-dev zlib1g-dev libgtest-dev googletest \
        libbenchmark-dev xvfb xauth fonts-noto-cjk time
EXTRA_TESTS :=

-include mk/*.mk

.PHONY: all deps configure build run test screenshot bench clean $(EXTRA_TESTS)

all: build

deps:
	@missing=""; for p in $(PKGS); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  export DEBIAN_FRONTEND=noninteractive; \
	  apt-get update -qq && apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD)

run: build
	./$(BUILD)/zor $(ARGS)

# Headless: offscreen Qt, and throw-away config/data folders so no test touches the user's settings,
# nor sees what is installed on the machine (the system's folders hold its MIME database only).
test: build
	@set -e; tmp=$$(mktemp -d); trap 'rm -rf "$$tmp"' EXIT; \
	export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$$tmp/config XDG_DATA_HOME=$$tmp/data XDG_RUNTIME_DIR=$$tmp/run \
	  XDG_DATA_DIRS=$$tmp/share XDG_CONFIG_DIRS=$$tmp/etc-xdg; \
	mkdir -p $$tmp/run $$tmp/share $$tmp/etc-xdg && chmod 700 $$tmp/run; ln -s /usr/share/mime $$tmp/share/mime; \
	cd $(BUILD) && ctest --output-on-failure -j2 --timeout 600
	@for t in $(EXTRA_TESTS); do $(MAKE) --no-print-directory $$t || exit 1; done

# The viewer under Xvfb, written to a PNG. ARGS passes paths; SHOT_ARGS passes --screenshot options.
screenshot: build
	@set -e; tmp=$$(mktemp -d); trap 'rm -rf "$$tmp"' EXIT; \
	export XDG_CONFIG_HOME=$$tmp/config XDG_DATA_HOME=$$tmp/data; \
	mkdir -p $$XDG_CONFIG_HOME/QEL; printf '[QEL%%20Tormelia%%20Viewer]\nVer=89\n' > $$XDG_CONFIG_HOME/QEL/QEL.ini; \
	xvfb-run -a -s "-screen 0 1024x768x24" ./$(BUILD)/zor --screenshot=$(abspath $(SCREENSHOT)) $(SHOT_ARGS) $(ARGS)
	@echo "wrote $(SCREENSHOT)"

# Speed and memory figures: every benchmark program, headless, in an optimised build of its own
# (the figures of an unoptimised one say little).
BENCH_BUILD ?= build-bench
bench: deps
	@test -f $(BENCH_BUILD)/build.ninja || cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BENCH_BUILD)
	@set -e; tmp=$$(mktemp -d); trap 'rm -rf "$$tmp"' EXIT; \
	export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$$tmp/config XDG_DATA_HOME=$$tmp/data; \
	for b in $(BENCH_BUILD)/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD)
