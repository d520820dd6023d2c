# Top-level commands: make run, make test, make bench (SAN=1: address and undefined-behaviour
# sanitizers; TSAN=1: thread sanitizer), make fuzz.
JOBS ?= $(shell nproc)
BUILD_TYPE ?= RelWithDebInfo

ifeq ($(SAN),1)
BUILD_DIR ?= build-san
CMAKE_EXTRA = -DKV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
else ifeq ($(TSAN),1)
BUILD_DIR ?= build-tsan
CMAKE_EXTRA = -DKV_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
else
BUILD_DIR ?= build
CMAKE_EXTRA = -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
endif

# make fuzz: every libFuzzer target of tests/fuzz, built with clang in its own folder and run
# FUZZ_SECONDS each against its seeds; stops at the first finding and keeps its input.
FUZZ_SECONDS ?= 60
FUZZ_DIR ?= build-fuzz

.PHONY: all deps configure build test bench run fuzz clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_EXTRA) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan.supp die_after_fork=0" ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bench/*_bench; do echo "== $$b"; $$b --benchmark_min_time=0.2 || exit 1; done

run: build
	@$(BUILD_DIR)/KV $(ARGS)

fuzz:
	@bash scripts/install-deps.sh --fuzz
	@cmake -S . -B $(FUZZ_DIR) -G Ninja -DKV_FUZZ=ON -DKV_BUILD_TESTS=OFF -DKV_BUILD_BENCH=OFF -DKV_BUILD_GUI=OFF \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target kv_fuzz
	@bash scripts/run-fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf build build-san build-tsan build-fuzz build-clang
