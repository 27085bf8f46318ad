# The icon-source reader: fixture tools, and its sanitizer and fuzzing runs for `make test`.
PKGS += icoutils binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 cpp clang libclang-rt-14-dev \
        libbenchmark-dev libgtest-dev
EXTRA_TESTS += iconsource-asan iconsource-fuzz

ICONSOURCE_ASAN_BUILD ?= build-asan
ICONSOURCE_FUZZ_BUILD ?= build-fuzz
ICONSOURCE_FUZZ_SECONDS ?= 60

.PHONY: iconsource-asan iconsource-fuzz

# The reader's unit tests (and zor-icons, which they run) under ASan and UBSan.
# libpng reports every damaged PNG of the bad-input tests on stderr by itself; those lines are dropped.
iconsource-asan: deps
	cmake -S . -B $(ICONSOURCE_ASAN_BUILD) -G Ninja -DZOR_SANITIZE=ON -DZOR_BUILD_APP=OFF \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(ICONSOURCE_ASAN_BUILD) -j2 --target test_iconsource zor-icons
	@set -e; tmp=$$(mktemp -d); trap 'rm -rf "$$tmp"' EXIT; \
	export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$$tmp/config XDG_DATA_HOME=$$tmp/data TMPDIR=$$tmp \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1; \
	set -o pipefail; \
	./$(ICONSOURCE_ASAN_BUILD)/tests/iconsource/test_iconsource --gtest_brief=1 2>&1 | grep -v '^libpng error'

# libFuzzer over the reader for about a minute, seeded with the test fixtures.
iconsource-fuzz: deps
	cmake -S fuzz -B $(ICONSOURCE_FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(ICONSOURCE_FUZZ_BUILD) -j2
	@set -e; tmp=$$(mktemp -d); trap 'rm -rf "$$tmp"' EXIT; \
	export QT_QPA_PLATFORM=offscreen TMPDIR=$$tmp ASAN_OPTIONS=detect_leaks=1; \
	./$(ICONSOURCE_FUZZ_BUILD)/make_fuzz_seeds $$tmp/seeds; mkdir -p $$tmp/corpus; \
	./$(ICONSOURCE_FUZZ_BUILD)/fuzz_iconsource -max_total_time=$(ICONSOURCE_FUZZ_SECONDS) -timeout=10 \
	  -rss_limit_mb=1024 -malloc_limit_mb=512 -max_len=262144 -print_final_stats=1 \
	  -artifact_prefix=$(CURDIR)/$(ICONSOURCE_FUZZ_BUILD)/ $$tmp/corpus $$tmp/seeds
