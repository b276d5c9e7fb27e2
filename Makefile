# Thin wrapper over CMake and CTest.
BUILD ?= build
# The programs alone, without the test suite (no GoogleTest needed): make run, make install.
PROGRAM_BUILD ?= build-program
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_CXX ?= clang++
FUZZ_TARGETS = record_reader whole_run pedprep_reader
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
PROGRAM_CONFIGURE = cmake -S . -B $(PROGRAM_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPEDPEEL_TESTS=OFF -DPEDPEEL_LTO=ON

.PHONY: all build run test test-asan bench fuzz install clean

all: build

build:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

# Builds pedpeel alone, runs it on examples/ in a scratch copy under its build folder and
# lists the result.
run:
	$(PROGRAM_CONFIGURE)
	cmake --build $(PROGRAM_BUILD) -j $(JOBS) --target pedpeel
	rm -rf $(PROGRAM_BUILD)/example-run && cp -r examples $(PROGRAM_BUILD)/example-run
	cd $(PROGRAM_BUILD)/example-run && ../driver/pedpeel; echo "exit status: $$?"
	ls -l $(PROGRAM_BUILD)/example-run

# Installs the programs (stripped) into $(PREFIX)/bin and their man pages into
# $(PREFIX)/share/man/man1.
install:
	$(PROGRAM_CONFIGURE)
	cmake --build $(PROGRAM_BUILD) -j $(JOBS)
	cmake --install $(PROGRAM_BUILD) --prefix $(PREFIX) --strip

test-asan:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPEDPEEL_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

# The whole suite, once under AddressSanitizer + UndefinedBehaviorSanitizer and once in a
# plain build; ends with CTest's summary line.
test: build test-asan
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Builds the benchmarks in $(BENCH_BUILD) (Google Benchmark), runs the core and formatter
# benchmarks, then times whole runs of pedpeel on pedgen's shapes against the I/O floor and
# the test oracle (bench/run_bench.py; a few minutes, most of it the oracle), pedinfo check
# against pedpeel (bench/pedinfo_bench.py; also on all the runs of a million-animal
# herd-book), and pedprep on a million animals against the pedpeel runs it writes, and on
# pedgen's million-animal herd-book, cut with copies (bench/pedprep_bench.py: speed, peak
# memory, every run complete, every animal in a family record). Every script runs; the target fails when any of them misses its
# targets.
bench:
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPEDPEEL_BENCH=ON \
	  -DPEDPEEL_TESTS=OFF -DPEDPEEL_LTO=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	$(BENCH_BUILD)/bench/pedpeel_bench --benchmark_min_time=0.1
	status=0; \
	python3 bench/run_bench.py --build $(BENCH_BUILD) || status=1; \
	python3 bench/pedinfo_bench.py --build $(BENCH_BUILD) || status=1; \
	python3 bench/pedprep_bench.py --build $(BENCH_BUILD) || status=1; \
	python3 bench/pedprep_bench.py --build $(BENCH_BUILD) --herdbook || status=1; \
	exit $$status

# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for FUZZ_SECONDS.
# New inputs go to $(FUZZ_BUILD)/corpus; the seeds in fuzz/corpus stay as they are. The
# targets write their scratch files to memory (/dev/shm) when it exists, and a smaller
# ASan quarantine lets the reader's 64 KiB blocks reuse memory.
FUZZ_ENV = ASAN_OPTIONS=quarantine_size_mb=16 TMPDIR=$(if $(wildcard /dev/shm),/dev/shm,/tmp)
fuzz:
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPEDPEEL_FUZZ=ON -DPEDPEEL_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	set -e; for target in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$target $(FUZZ_BUILD)/artifacts; \
	  $(FUZZ_ENV) $(FUZZ_BUILD)/fuzz/$${target}_fuzzer -max_total_time=$(FUZZ_SECONDS) -timeout=30 \
	    -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/artifacts/$${target}- \
	    $(FUZZ_BUILD)/corpus/$$target fuzz/corpus/$$target; \
	done

clean:
	rm -rf $(BUILD) $(PROGRAM_BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
