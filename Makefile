# Thin wrapper over the CMake presets.
.PHONY: all deps build release test unit e2e demo bench format clean

all: build

deps:
	@tools/install-deps.sh

build: deps
	@cmake --preset host >/dev/null
	@cmake --build --preset host

release: deps
	@cmake --preset host-release >/dev/null
	@cmake --build --preset host-release

unit: build
	@ctest --preset host

test: unit
	@echo "All test suites passed."

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
