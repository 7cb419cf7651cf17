# `make run`, `make test` and `make bench` are the commands of the README.
BUILD ?= build
NPROC := $(shell nproc)

.PHONY: deps configure build run test sanitize bench clean

deps:
	@scripts/install-deps.sh

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Qt's code generator does not notice a newly added header on its own; dropping its stamp makes it
# rescan (it regenerates only what changed).
build: configure
	@rm -f $(BUILD)/brevotane_data_autogen/timestamp $(BUILD)/brevotane_windows_autogen/timestamp
	@cmake --build $(BUILD) -j $(NPROC)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ "$$QT_QPA_PLATFORM" != "offscreen" ]; then \
	  echo "No display available: Brevotane needs a graphical desktop (or run it under xvfb-run)."; exit 1; fi
	@$(BUILD)/bin/brevotane $(ARGS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(NPROC)

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer in a folder of its own;
# any finding fails the test that made it.
SANITIZE_BUILD ?= build-sanitize
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
sanitize: deps
	@[ -f $(SANITIZE_BUILD)/build.ninja ] || cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)"
	@rm -f $(SANITIZE_BUILD)/brevotane_data_autogen/timestamp $(SANITIZE_BUILD)/brevotane_windows_autogen/timestamp
	@cmake --build $(SANITIZE_BUILD) -j $(NPROC)
	@cd $(SANITIZE_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(abspath scripts/lsan.supp):print_suppressions=0 \
	  ctest --output-on-failure -j $(NPROC)

# The benchmarks, each beside the plain tool doing the same work: the count windows (bench_counting),
# the summary list and its export (bench_list), the printed sheets (bench_print) and the count import
# (bench_import). `make bench BENCH=bench_list` runs one; ARGS passes its sizes.
BENCHES := bench_counting bench_list bench_print bench_import
BENCH ?= $(BENCHES)
bench: configure
	@rm -f $(BUILD)/brevotane_data_autogen/timestamp $(BUILD)/brevotane_windows_autogen/timestamp
	@cmake --build $(BUILD) --target $(BENCH) -j $(NPROC)
	@mkdir -p $(BUILD)/xdg-runtime && chmod 700 $(BUILD)/xdg-runtime
	@for b in $(BENCH); do echo "== $$b"; QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$(abspath $(BUILD))/xdg-runtime \
	  $(BUILD)/bench/$$b $(ARGS) || exit 1; echo; done

clean:
	rm -rf $(BUILD)
