# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= 2

.PHONY: all deps configure build run test test-sanitized fuzz bench format clean install uninstall

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLEAM_WERROR=ON

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

# The window program; without a display, a demonstration of the core with gleam-cli.
run: build
	@scripts/run-gleam $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)
	JOBS=$(JOBS) scripts/run-sanitized-tests
	JOBS=$(JOBS) scripts/run-fuzzers
	$(MAKE) test-tsan

# The audio file unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitized: configure
	JOBS=$(JOBS) scripts/run-sanitized-tests

# The wave device, audio engine and window worker-run tests again under ThreadSanitizer
# (CTest label "tsan"), with their JACK server.
.PHONY: test-tsan
test-tsan: configure
	JOBS=$(JOBS) scripts/run-tsan-tests

# The libFuzzer targets of the audio file readers, GLEAM_FUZZ_SECONDS (30) each.
fuzz:
	JOBS=$(JOBS) scripts/run-fuzzers

bench: build
	@find $(BUILD_DIR)/bench -type f -executable -name "bench_*" | sort | while read -r b; do echo "== $$b"; "$$b"; done

# Installs both programs with their desktop entry, icons, metadata, manual page and user
# manual under
# PREFIX (default /usr/local); DESTDIR=… stages the files elsewhere, as packagers do.
PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# Removes the files the last install placed (as listed in the install manifest); give it
# the same DESTDIR as the install.
uninstall:
	DESTDIR="$(DESTDIR)" cmake -DGLEAM_MANIFEST=$(BUILD_DIR)/install_manifest.txt -P cmake/Uninstall.cmake

format:
	find src tests bench -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
