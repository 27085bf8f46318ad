# The icon-source reader: fixture tools, and its sanitizer and fuzzing runs for `make test`.
PKGS += icoutils binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 cpp clang libclang-rt-14-dev \
        libbenchmark-dev libgtest-dev
# Making icons: Qt's image plugins for SVG (libqt6svg6 carries it on Debian 12) and WebP, TIFF, ...
PKGS += libqt6svg6 qt6-image-formats-plugins
EXTRA_TESTS += iconsource-asan iconsource-fuzz

ICONSOURCE_ASAN_BUILD ?= build-asan
ICONSOURCE_FUZZ_BUILD ?= build-fuzz
# The fixed-seed run of `make test`: this many inputs (a few seconds), always the same ones.
ICONSOURCE_FUZZ_RUNS ?= 15000
# `make fuzz`: a random seed for as long as asked.
FUZZ_SECONDS ?= 600

# QHash seeds itself at random; fixed, the same seed finds the same inputs every run.
ICONSOURCE_FUZZ_ENV = QT_QPA_PLATFORM=offscreen QT_HASH_SEED=0 ASAN_OPTIONS=detect_leaks=1
ICONSOURCE_FUZZ_FLAGS = -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=512 -max_len=65536 \
  -artifact_prefix=$(CURDIR)/$(ICONSOURCE_FUZZ_BUILD)/

.PHONY: iconsource-asan iconsource-fuzz iconsource-fuzz-build iconsource-fuzz-corpus fuzz

# The reader's tests (and zor-icons, which they run) under ASan and UBSan.
# libpng reports every damaged PNG of the bad-input tests on stderr by itself; those lines are dropped.
iconsource-asan: deps
	@test -f $(ICONSOURCE_ASAN_BUILD)/build.ninja || cmake -S . -B $(ICONSOURCE_ASAN_BUILD) -G Ninja \
	  -DZOR_SANITIZE=ON -DZOR_BUILD_APP=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(ICONSOURCE_ASAN_BUILD) -j2 --target test_iconsource test_zor_icons zor-icons
	@set -e; tmp=$$(mktemp -d); trap 'rm -rf "$$tmp"' EXIT; \
	export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$$tmp/config XDG_DATA_HOME=$$tmp/data TMPDIR=$$tmp \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1; \
	set -o pipefail; \
	for t in test_iconsource test_zor_icons; do \
	  ./$(ICONSOURCE_ASAN_BUILD)/tests/iconsource/$$t --gtest_brief=1 2>&1 | grep -v '^libpng error'; \
	done

iconsource-fuzz-build: deps
	@test -f $(ICONSOURCE_FUZZ_BUILD)/build.ninja || cmake -S fuzz -B $(ICONSOURCE_FUZZ_BUILD) -G Ninja \
	  -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(ICONSOURCE_FUZZ_BUILD) -j2 --target fuzz_iconsource

# For `make test`: every input of the committed corpus once, then a fixed-seed run from it.
# Nothing random: a change that leaves the reader alone cannot make this fail.
iconsource-fuzz: iconsource-fuzz-build
	@set -e; tmp=$$(mktemp -d); trap 'rm -rf "$$tmp"' EXIT; \
	export $(ICONSOURCE_FUZZ_ENV) TMPDIR=$$tmp; \
	./$(ICONSOURCE_FUZZ_BUILD)/fuzz_iconsource $(ICONSOURCE_FUZZ_FLAGS) fuzz/corpus/* >$$tmp/replay.log 2>&1 \
	  || { cat $$tmp/replay.log; exit 1; }; \
	echo "fuzz corpus: $$(grep -c '^Executed' $$tmp/replay.log) inputs replayed"; \
	mkdir $$tmp/work; \
	./$(ICONSOURCE_FUZZ_BUILD)/fuzz_iconsource $(ICONSOURCE_FUZZ_FLAGS) -seed=1 -reload=0 \
	  -runs=$(ICONSOURCE_FUZZ_RUNS) -max_total_time=60 $$tmp/work fuzz/corpus >$$tmp/fuzz.log 2>&1 \
	  || { cat $$tmp/fuzz.log; exit 1; }; \
	grep -E '^#[0-9]+.*DONE|^Done' $$tmp/fuzz.log

# Fuzzing for FUZZ_SECONDS with a random seed; what it finds is kept in $(ICONSOURCE_FUZZ_BUILD)/corpus
# for the next run, a crashing input in $(ICONSOURCE_FUZZ_BUILD)/crash-*.
fuzz: iconsource-fuzz-build
	@set -e; tmp=$$(mktemp -d); trap 'rm -rf "$$tmp"' EXIT; \
	export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 TMPDIR=$$tmp; \
	mkdir -p $(ICONSOURCE_FUZZ_BUILD)/corpus; \
	./$(ICONSOURCE_FUZZ_BUILD)/fuzz_iconsource $(ICONSOURCE_FUZZ_FLAGS) -max_total_time=$(FUZZ_SECONDS) \
	  -print_final_stats=1 $(ICONSOURCE_FUZZ_BUILD)/corpus fuzz/corpus

# Rewrites fuzz/corpus from freshly made fixtures (commit the result).
iconsource-fuzz-corpus: iconsource-fuzz-build
	cmake --build $(ICONSOURCE_FUZZ_BUILD) -j2 --target make_fuzz_corpus
	ASAN_OPTIONS=detect_leaks=0 ./$(ICONSOURCE_FUZZ_BUILD)/make_fuzz_corpus fuzz/corpus
