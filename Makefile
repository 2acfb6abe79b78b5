# Thin wrapper over the CMake presets and the test scripts. Each target installs the packages it
# needs first (tools/deps/<list>.list; quiet when they are all there).
DEPS = tools/install-deps.sh

.PHONY: all deps build release windows armhf test unit e2e wine armhf-test armhf-e2e demo bench \
        fuzz-build fuzz fuzz-smoke android-check format install clean

all: build

# Every package any target needs.
deps:
	@$(DEPS)

build:
	@$(DEPS) build kernel
	@cmake --preset host >/dev/null
	@cmake --build --preset host

release:
	@$(DEPS) build kernel bench
	@cmake --preset host-release >/dev/null
	@cmake --build --preset host-release

windows:
	@$(DEPS) build windows
	@cmake --preset windows-i686 >/dev/null
	@cmake --build --preset windows-i686

armhf:
	@$(DEPS) build armhf
	@cmake --preset linux-armhf >/dev/null
	@cmake --build --preset linux-armhf

unit: build
	@ctest --preset host

# The daemon on a real Linux kernel in a small VM.
e2e: release
	@tests/e2e/run.sh

# Sumvault.exe under Wine.
wine: windows
	@tests/windows/run.sh

armhf-test: armhf
	@ctest --preset linux-armhf

# The 32-bit ARM daemon on a real 32-bit ARM kernel.
armhf-e2e: armhf
	@TAVRION_E2E_ARCH=armhf tests/e2e/run.sh

# Only what the demonstration runs: the release daemon and the event dumper.
demo:
	@$(DEPS) build kernel
	@cmake --preset host-release >/dev/null
	@cmake --build --preset host-release --target tavrion evdump
	@tools/demo.sh

bench: release
	@bench/run.sh

# Every fuzz target and the scanner soak, FUZZ_S seconds each (FUZZ_JOBS at a time, default 2).
FUZZ_S ?= 60
fuzz-build:
	@$(DEPS) build fuzz
	@cmake --preset host-fuzz >/dev/null
	@cmake --build --preset host-fuzz

fuzz: fuzz-build
	@tests/fuzz/run.sh $(FUZZ_S)

# A short run of each from the seed corpora, with fixed seeds.
fuzz-smoke: fuzz-build
	@tests/fuzz/run.sh --smoke 10

# The vendor tree's build of the daemon, as far as it can be checked without one: bpfmt, the
# sources against AOSP's own headers for 32-bit ARM, the same sources as CMake. A scratch configure
# of the host preset lists CMake's sources, hence the build list.
android-check:
	@$(DEPS) build android armhf
	@tests/android/check.sh

test: android-check unit fuzz-smoke wine e2e armhf-test armhf-e2e
	@echo "All test suites passed."

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# keypad-tool and keypad-record, optimised, side by side in $(PREFIX)/bin (DESTDIR is honoured):
# keypad-tool runs the recorder from beside itself.
PREFIX ?= /usr/local
install:
	@$(DEPS) build
	@cmake --preset host-release >/dev/null
	@cmake --build --preset host-release --target keypad-tool keypad-record
	@cmake --install build/host-release --prefix "$(PREFIX)" --component keypad

clean:
	rm -rf build
