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
