# Thin wrapper around CMake. `make run` plays, `make test` runs the tests under the sanitizers.
BUILD      ?= build
TEST_BUILD ?= build-test
REL_BUILD  ?= build-rel
TSAN_BUILD ?= build-tsan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
# Seconds each fuzz target runs for in `make fuzz`.
FUZZ_SECONDS ?= 20
JOBS       ?= $(shell nproc)

# How every test run is started: headless drivers, sanitizer findings fail the run.
TEST_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp \
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/support/tsan.supp" \
  SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
SOURCES = $(shell git ls-files '*.cpp' '*.h')

.PHONY: all deps build run test test-release tsan bench soak clean format format-check check-includes fuzz

all: build

deps:
	bash scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGORVANE_TESTS=OFF
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD) && ./gorvane

test: deps
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGORVANE_SANITIZE=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && $(TEST_ENV) ctest --output-on-failure -j $(JOBS)

# The shipped configuration (RelWithDebInfo: the pools' per-thread caches are compiled in)
# with its tests.
test-release: deps
	cmake -S . -B $(REL_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(REL_BUILD) -j $(JOBS)
	cd $(REL_BUILD) && $(TEST_ENV) ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer over the tests, the end-to-end game run among them. Only reports inside
# Mesa's driver are suppressed (tests/support/tsan.supp).
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGORVANE_TSAN=ON
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	cd $(TSAN_BUILD) && $(TEST_ENV) ctest --output-on-failure -j $(JOBS)

# The game an hour in a level under random input, in the sanitized test build: no report,
# no script error, memory, pools and frame time flat after the first minute.
SOAK_SECONDS ?= 3600
soak: deps
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGORVANE_SANITIZE=ON
	cmake --build $(TEST_BUILD) -j $(JOBS) --target gorvane test_app
	cd $(TEST_BUILD) && $(TEST_ENV) GORVANE_SOAK_SECONDS=$(SOAK_SECONDS) \
	  ./test_app --gtest_filter='Soak.*'

check-includes:
	scripts/check-includes

format-check:
	clang-format --dry-run -Werror $(SOURCES)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DGORVANE_TESTS=OFF -DGORVANE_BENCH=ON
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bench/bench_*; do echo "== $$b"; $$b || exit 1; done

# The fuzz targets of tests/fuzz, built with clang's libFuzzer under ASan and UBSan in their
# own folder, each run over its seed corpus for FUZZ_RUNS inputs from a fixed seed, within
# FUZZ_SECONDS.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DGORVANE_FUZZ=ON -DGORVANE_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	bash scripts/run-fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

format:
	clang-format -i $(SOURCES)

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(REL_BUILD) $(TSAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
