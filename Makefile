# The two commands of the README: `make run` publishes the sample gallery,
# `make test` runs every test. Everything else is plumbing for them.
BUILD_DIR ?= out
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test sanitize bench clean

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

# The tests again in a Debug build, under AddressSanitizer and UBSan.
sanitize: deps
	@cmake -S . -B $(BUILD_DIR)-debug -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build $(BUILD_DIR)-debug -j $(JOBS)
	@ctest --test-dir $(BUILD_DIR)-debug --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-debug
