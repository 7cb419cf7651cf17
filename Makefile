# `make run`, `make test` and `make bench` are the commands of the README.
BUILD ?= build
NPROC := $(shell nproc)

.PHONY: deps configure build run test bench clean

deps:
	@scripts/install-deps.sh

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Qt's code generator does not notice a newly added header on its own; dropping its stamp makes it
# rescan (it regenerates only what changed).
build: configure
	@rm -f $(BUILD)/brevotane_core_autogen/timestamp
	@cmake --build $(BUILD) -j $(NPROC)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ "$$QT_QPA_PLATFORM" != "offscreen" ]; then \
	  echo "No display available: Brevotane needs a graphical desktop (or run it under xvfb-run)."; exit 1; fi
	@$(BUILD)/bin/brevotane $(ARGS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(NPROC)

# Times the count windows on a generated count of 1,000 and of 100,000 lines, beside the same
# work in the sqlite3 shell. Builds only what the benchmark needs; ARGS="50000 500" changes the sizes.
bench: configure
	@rm -f $(BUILD)/brevotane_core_autogen/timestamp
	@cmake --build $(BUILD) --target bench_counting -j $(NPROC)
	@QT_QPA_PLATFORM=offscreen $(BUILD)/bench/bench_counting $(ARGS)

clean:
	rm -rf $(BUILD)
