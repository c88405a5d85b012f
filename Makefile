# Thin wrappers around CMake and CTest. `make test` and `make demo` do all the
# set-up a fresh Debian 12 machine needs.
BUILD ?= build
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
# The unit and widget tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder of their own: unoptimised, with
# just the line tables that the sanitizers' stack traces need (it builds faster).
SAN_BUILD ?= build-asan
SAN_JOBS  ?= 2
# libFuzzer targets (clang), their working corpus and crashes; `make clean`
# leaves this folder alone so that the corpus keeps growing.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
# `make bench BENCH_ARGS="--station --burn-in 600"`: the several-unit figures
# alone, with a ten-minute burn-in.
BENCH_ARGS ?=

.PHONY: all deps configure build test test-sanitize fuzz demo run bench package install clean format

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-sanitize

test-sanitize: deps
	@cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
	  -DKDX_SANITIZE=ON >/dev/null
	@cmake --build $(SAN_BUILD) -j $(SAN_JOBS) --target sanitized_tests
	@cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L '^(unit|widgets)$$'

fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DKDX_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@tests/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The Debian package, in $(BUILD)/package. `make test` builds and checks it
# too (the ctest label `package`).
package: build
	@cd $(BUILD) && cpack --config CPackConfig.cmake

# Into PREFIX (default /usr/local); DESTDIR works as usual.
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

demo: build
	@scripts/demo $(BUILD)

run: build
	@$(BUILD)/src/kdx846

bench: build
	@scripts/bench $(BUILD) $(BENCH_ARGS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(SAN_BUILD)
