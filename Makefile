# The two commands of the README: `make run` publishes the sample gallery,
# `make test` runs every test. Everything else is plumbing for them.
BUILD_DIR ?= out
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test sanitize fuzz bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# Publishes the sample gallery, then opens it in the editor when there is a display.
run: build
	@scripts/make-sample $(BUILD_DIR)/cli/pictavo-cli $(BUILD_DIR)/sample-gallery
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
		echo "Opening it in the editor..."; \
		$(BUILD_DIR)/app/pictavo $(BUILD_DIR)/sample-gallery/sample.tvgallery1; \
	else \
		echo "No display: the editor is not started ($(BUILD_DIR)/app/pictavo opens it)."; \
	fi

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# Benchmarks print their figures; they are no tests.
bench: build
	@$(BUILD_DIR)/bench/publish_bench $(BUILD_DIR)/cli/pictavo-cli

# The core's tests again in a Debug build, under AddressSanitizer and UBSan
# (the editor and browser tests stay out of this pass).
sanitize: deps
	@cmake -S . -B $(BUILD_DIR)-debug -DCMAKE_BUILD_TYPE=Debug -DPICTAVO_EDITOR=OFF >/dev/null
	@cmake --build $(BUILD_DIR)-debug -j $(JOBS) --target core_tests pictavo-cli
	@ctest --test-dir $(BUILD_DIR)-debug --output-on-failure -j $(JOBS) -LE browser

# Every fuzz target for FUZZ_SECONDS (a minute by default), built with clang.
FUZZ_SECONDS ?= 60
fuzz: deps
	@cmake -S . -B $(BUILD_DIR)-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DPICTAVO_FUZZ=ON -DPICTAVO_EDITOR=OFF >/dev/null
	@cmake --build $(BUILD_DIR)-fuzz -j $(JOBS) --target fuzz_targets
	@scripts/run-fuzz $(BUILD_DIR)-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-debug $(BUILD_DIR)-fuzz
