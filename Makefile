# Thin wrappers around CMake and CTest. `make test` and `make demo` do all the
# set-up a fresh Debian 12 machine needs.
BUILD ?= build
JOBS  ?= $(shell nproc 2>/dev/null || echo 2)
# Ninja for a new build folder; one configured before keeps its generator.
GENERATOR ?= Ninja
generator = $(if $(wildcard $(1)/CMakeCache.txt),,-G "$(GENERATOR)")
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

.PHONY: all deps configure build test test-sanitize sanitizer-build sanitizer-run \
	check-sources fuzz demo run bench package install clean format

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(call generator,$(BUILD)) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The normal build's tests mostly wait (on timers, the simulator, the package
# tools) and leave the processors free: the sanitizer build runs meanwhile, its
# output in $(SAN_BUILD)/build.log (shown if it fails). Then its tests run.
test: build
	@mkdir -p $(SAN_BUILD)
	@echo "test: building the sanitizer pass in $(SAN_BUILD) meanwhile ($(SAN_BUILD)/build.log)"
	@$(MAKE) --no-print-directory sanitizer-build >$(SAN_BUILD)/build.log 2>&1 & san=$$!; \
	  status=0; (cd $(BUILD) && ctest --output-on-failure -j $(JOBS)) || status=1; \
	  echo "test: waiting for the sanitizer build"; \
	  if ! wait $$san; then \
	    cat $(SAN_BUILD)/build.log; echo "test: the sanitizer build failed" >&2; exit 1; \
	  fi; \
	  $(MAKE) --no-print-directory sanitizer-run || status=1; \
	  exit $$status

test-sanitize: sanitizer-build
	@$(MAKE) --no-print-directory sanitizer-run

sanitizer-build: deps
	@cmake -S . -B $(SAN_BUILD) $(call generator,$(SAN_BUILD)) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DKDX_SANITIZE=ON >/dev/null
	@cmake --build $(SAN_BUILD) -j $(SAN_JOBS) --target sanitized_tests

sanitizer-run:
	@cd $(SAN_BUILD) && ctest --output-on-failure -j $(JOBS) -L '^(unit|widgets)$$'

fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) $(call generator,$(FUZZ_BUILD)) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DKDX_FUZZ=ON >/dev/null
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

# The tool and the simulator only, not the tests: the window comes up first.
demo: configure
	@cmake --build $(BUILD) -j $(JOBS) --target kdx846 kdx846-sim
	@scripts/demo $(BUILD)

run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target kdx846
	@$(BUILD)/src/kdx846

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target kdx846-bench kdx846-sim kdx846-run kdx846-results
	@scripts/bench $(BUILD) $(BENCH_ARGS)

# What CI checks besides the tests: formatting, and no include climbing out
# of its folder with "../".
check-sources: deps
	@scripts/check-sources

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(SAN_BUILD)
