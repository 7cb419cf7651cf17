# `make run` and `make test` are the two commands of the README.
BUILD ?= build
NPROC := $(shell nproc)

.PHONY: deps configure build run test clean

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

clean:
	rm -rf $(BUILD)
