# Front door to the CMake build. Binaries land in build/bin/. Only the
# test targets build the tests (and need GoogleTest).
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
WINDOWS_BUILD ?= build-windows
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build test test-real-tools test-sanitize windows windows-package test-windows demo bench fuzz install uninstall package lint-package gallery clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cmake --build $(BUILD) --target tests -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The programs on files made by ImageMagick, ffmpeg and Pillow (libvips too
# when installed) with their default options (needs Debian's imagemagick,
# ffmpeg and python3-pil).
test-real-tools: build
	sh tests/real_tools/run.sh $(abspath $(BUILD))/bin

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize:
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON
	cmake --build $(SANITIZE_BUILD) --target all tests -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# The programs for 64-bit Windows, cross-built with mingw-w64 into
# build-windows/bin/*.exe.
windows:
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

# A zip of the Windows programs, AlertPane.exe, the glyph sheets and a read-me.
windows-package: windows
	cd $(WINDOWS_BUILD) && cpack

# The Windows build's unit tests, and the end-to-end tables against its
# programs, under wine (needs wine and a ja_JP.UTF-8 locale).
test-windows: build windows
	cmake --build $(BUILD) --target tests -j $(JOBS)
	cmake --build $(WINDOWS_BUILD) --target tests -j $(JOBS)
	sh tests/run_under_wine.sh $(BUILD) $(WINDOWS_BUILD) $(JOBS)

# Runs every tool on the samples into demo-out/ (git-ignored).
demo: build
	BIN=$(abspath $(BUILD))/bin sh demo/run.sh

# Every fuzz target for FUZZ_SECONDS each (default 60), with clang's libFuzzer;
# FUZZ_RUNS=N stops each after N executions instead (a long campaign).
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?= -1
fuzz:
	cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DFUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-fuzz -j $(JOBS)
	FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_RUNS=$(FUZZ_RUNS) BUILD=$(abspath build-fuzz) sh fuzz/run.sh

# The README's before-and-after pictures, from the demo's results.
gallery: demo
	BIN=$(abspath $(BUILD))/bin sh gallery/make_gallery.sh

bench: build
	BIN=$(abspath $(BUILD))/bin sh bench/run.sh

# PREFIX=/some/where make install
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Removes what the last make install from this build put (the files of
# $(BUILD)/install_files.txt) and the folders it created.
uninstall:
	cmake --build $(BUILD) --target uninstall

# A Debian package in $(BUILD)/.
package: build
	cd $(BUILD) && cpack

# The package checked by lintian: any error or warning fails; informational
# and pedantic tags are shown.
lint-package: package
	lintian --display-info --pedantic --fail-on error,warning $(BUILD)/assettools_*.deb

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(WINDOWS_BUILD) build-fuzz demo-out fuzz-corpus
