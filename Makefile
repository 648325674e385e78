# Drifthold: `make run` plays, `make test` checks. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test assets clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@scripts/run.sh $(BUILD)

test: build
	@cd $(BUILD) && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j$(JOBS)

# Regenerates every model and texture under Assets/ from tools/assetgen.
assets: build
	@$(BUILD)/tools/assetgen Assets

clean:
	rm -rf $(BUILD)

# Start-up and frame times of the game beside a floor program, from a separate build with
# per-pass GPU timers (scripts/bench.sh). The table also lands in out/bench.md.
BENCH_BUILD ?= build-bench
.PHONY: bench
bench: deps
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRIFTHOLD_BENCH=ON \
		-DDRIFTHOLD_TESTS=OFF -DDRIFTHOLD_TOOLS=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BENCH_BUILD) -j$(JOBS) --target drifthold bench_floor
	@scripts/bench.sh $(BENCH_BUILD)
