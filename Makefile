# Drifthold: `make run` plays, `make test` checks. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# The nested makes under cmake --build would otherwise report every directory they enter.
MAKEFLAGS += --no-print-directory

.PHONY: all deps build run test assets clean test-asan fuzz soak package check-package

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@scripts/run.sh $(BUILD)

# -noreset: Xvfb otherwise resets whenever its last client leaves, and a test process that
# connects during the reset fails to open the display.
test: build
	@cd $(BUILD) && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j$(JOBS)

# The whole suite under AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer.
# Only leaks of the GL driver and the X libraries are suppressed (tests/sanitizer/lsan.supp).
# Keep xvfb-run: on an X server without authentication, GCC 12's LeakSanitizer crashes at
# the exit of the GL test programs ("Tracer caught signal 11", a bogus dynamic-TLS range).
# It crashes the same way when Mesa's shader disk cache still has its writer thread at
# exit (about every other run under ctest -j2), so the sanitizer suite runs without it.
ASAN_BUILD ?= build-asan
SANITIZER_ENV = MESA_SHADER_CACHE_DISABLE=true \
	ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp:print_suppressions=0

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DDRIFTHOLD_SANITIZE=ON \
		-DDRIFTHOLD_TOOLS=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	@cd $(ASAN_BUILD) && $(SANITIZER_ENV) \
		xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j$(JOBS)

# The model and image loader under libFuzzer for FUZZ_SECONDS; findings land in
# fuzz-out/crashes, new interesting inputs in fuzz-out/corpus.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600
FUZZ_FLAGS ?=

fuzz:
	@DRIFTHOLD_EXTRA_PACKAGES="clang libclang-rt-14-dev" scripts/install-deps.sh
	@CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DDRIFTHOLD_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS)
	@mkdir -p fuzz-out/corpus fuzz-out/crashes
	@tests/fuzz/asset_seeds.sh fuzz-out/seeds
	@ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/fuzz/lsan.supp:print_suppressions=0 \
		$(FUZZ_BUILD)/load_model_fuzzer -max_total_time=$(FUZZ_SECONDS) -timeout=30 \
		-max_len=65536 -print_final_stats=1 -artifact_prefix=fuzz-out/crashes/ \
		$(FUZZ_FLAGS) fuzz-out/corpus tests/fuzz/corpus fuzz-out/seeds

# Plays the real game with random keys for SOAK_SECONDS and reports memory growth, then
# counts live GL objects around 100 forced resets.
SOAK_SECONDS ?= 600

soak: build
	@scripts/soak.sh $(BUILD) $(SOAK_SECONDS)

# Regenerates every model and texture under Assets/, and the icons under packaging/icons/,
# from tools/assetgen.
assets: build
	@$(BUILD)/tools/assetgen Assets packaging/icons

clean:
	rm -rf $(BUILD)

# Start-up and frame times of the game beside a floor program, from a separate build with
# per-pass GPU timers (scripts/bench.sh). The table also lands in out/bench.md.
BENCH_BUILD ?= build-bench
.PHONY: bench bench-build
bench: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRIFTHOLD_BENCH=ON \
		$(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BENCH_BUILD) -j$(JOBS) --target drifthold bench_floor
	@scripts/bench.sh $(BENCH_BUILD)

# The benchmark build with everything in it, tests included: it must build as well as the
# game's own (CI builds it; nothing is run).
bench-build: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRIFTHOLD_BENCH=ON \
		$(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BENCH_BUILD) -j$(JOBS)

# The Debian package, from its own build folder: a release build with Debian's hardening
# flags, without tests and tools. The .deb lands in $(PKG_BUILD)/.
PKG_BUILD ?= build-deb
PKG_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get
package: deps
	@cmake -S . -B $(PKG_BUILD) -DCMAKE_BUILD_TYPE=None \
		-DCMAKE_CXX_FLAGS="$$($(PKG_FLAGS) CPPFLAGS) $$($(PKG_FLAGS) CXXFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$($(PKG_FLAGS) LDFLAGS)" \
		-DDRIFTHOLD_TESTS=OFF -DDRIFTHOLD_TOOLS=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(PKG_BUILD) -j$(JOBS)
	@cd $(PKG_BUILD) && cpack

# The package through lintian, and its menu entry and AppStream metadata through their
# validators; any error fails.
check-package: package
	@scripts/install-deps.sh package-checks
	@packaging/check-package.sh $(PKG_BUILD)
