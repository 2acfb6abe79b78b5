# Thin wrapper over the CMake presets and the test scripts.
.PHONY: all deps build release windows armhf test unit e2e wine armhf-test armhf-e2e demo bench format clean

all: build

deps:
	@tools/install-deps.sh

build: deps
	@cmake --preset host >/dev/null
	@cmake --build --preset host

release: deps
	@cmake --preset host-release >/dev/null
	@cmake --build --preset host-release

windows: deps
	@cmake --preset windows-i686 >/dev/null
	@cmake --build --preset windows-i686

armhf: deps
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

demo: release
	@tools/demo.sh

bench: release
	@bench/run.sh

test: unit
	@[ ! -x tests/windows/run.sh ] || $(MAKE) --no-print-directory wine
	@[ ! -x tests/e2e/run.sh ] || $(MAKE) --no-print-directory e2e
	@[ ! -f cmake/armhf.cmake ] || $(MAKE) --no-print-directory armhf-test armhf-e2e
	@echo "All test suites passed."

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
