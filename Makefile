# Top-level commands: make run, make test, make bench (SAN=1 for sanitizers).
JOBS ?= $(shell nproc)
BUILD_TYPE ?= RelWithDebInfo

ifeq ($(SAN),1)
BUILD_DIR ?= build-san
CMAKE_EXTRA = -DKV_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
else
BUILD_DIR ?= build
CMAKE_EXTRA = -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)
endif

.PHONY: all deps configure build test bench run clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_EXTRA) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bench/*_bench; do echo "== $$b"; $$b --benchmark_min_time=0.2 || exit 1; done

run: build
	@$(BUILD_DIR)/KV $(ARGS)

clean:
	rm -rf build build-san
