# Thin wrapper over CMake and CTest.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)

.PHONY: all build run test test-asan bench fuzz install clean

all: build

build:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

# Runs pedpeel on examples/ in a scratch copy under the build folder and lists the result.
run: build
	rm -rf $(BUILD)/example-run && cp -r examples $(BUILD)/example-run
	cd $(BUILD)/example-run && ../pedigree/pedpeel; echo "exit status: $$?"
	ls -l $(BUILD)/example-run

test-asan:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPEDPEEL_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The whole suite, once under AddressSanitizer + UndefinedBehaviorSanitizer and once in a
# plain build; ends with CTest's summary line.
test: build test-asan
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
